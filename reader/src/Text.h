#ifndef ENVCHECK_READER_TEXT_H
#define ENVCHECK_READER_TEXT_H

#include <string_view>

namespace reader {

inline bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }
inline bool EndsWith(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

}  // namespace reader

#endif
