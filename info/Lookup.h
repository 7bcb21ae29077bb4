#ifndef ENVCHECK_INFO_LOOKUP_H
#define ENVCHECK_INFO_LOOKUP_H

#include <initializer_list>
#include <utility>

// What a table pairs a key with, or otherwise where it names none: the
// platform's codes turned into the report's words, keys into scroll codes.
template <typename Key, typename Value>
Value Lookup(Key key, std::initializer_list<std::pair<Key, Value>> table, Value otherwise)
{
    for (const auto& row : table)
        if (row.first == key) return row.second;
    return otherwise;
}

#endif
