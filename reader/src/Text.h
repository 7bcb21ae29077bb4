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

// Lower-case hexadecimal of bytes: tokens and keys that travel in addresses and headers.
inline std::string HexOf(std::string_view bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

// Text of decimal digits only (no sign, no blank), at most max of them.
inline bool AllDigits(std::string_view text, size_t max = 18)
{
    if (text.empty() || text.size() > max) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace reader

#endif
