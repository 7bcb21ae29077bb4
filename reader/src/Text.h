#ifndef ENVCHECK_READER_TEXT_H
#define ENVCHECK_READER_TEXT_H

#include <string>
#include <string_view>

namespace reader {

inline bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }
inline bool EndsWith(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}
// Names Windows compares whatever their case (file names), in one case to compare them here.
inline std::string LowerAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

}  // namespace reader

#endif
