#ifndef ENVCHECK_READER_CP932_H
#define ENVCHECK_READER_CP932_H

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace reader {

// Bytes of one cp932 character starting at text[at]: 1 or 2, 0 when the byte
// there cannot start one (or a lead byte has no valid trail byte).
inline size_t Cp932CharLength(std::string_view text, size_t at)
{
    const unsigned char c = static_cast<unsigned char>(text[at]);
    if (c < 0x80) return c == 0 ? 0 : 1;
    if (c >= 0xA1 && c <= 0xDF) return 1;
    if (!((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) || at + 1 >= text.size()) return 0;
    const unsigned char trail = static_cast<unsigned char>(text[at + 1]);
    return (trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFC) ? 2 : 0;
}

// Bytes from `at` on that are plain ASCII (no NUL), eight at a time.
inline size_t AsciiRun(std::string_view text, size_t at)
{
    const size_t start = at;
    const unsigned long long high = 0x8080808080808080ULL, ones = 0x0101010101010101ULL;
    while (at + 8 <= text.size()) {
        unsigned long long word;
        std::memcpy(&word, text.data() + at, sizeof(word));
        // A high bit, or a zero byte, ends the run.
        if ((word & high) != 0 || ((word - ones) & ~word & high) != 0) break;
        at += 8;
    }
    while (at < text.size() && static_cast<unsigned char>(text[at]) - 1u < 0x7Fu) ++at;
    return at - start;
}

// Bytes of one UTF-8 character starting at text[at]: 1 to 4, 0 when none
// starts there (a stray byte, an overlong form, a surrogate).
size_t Utf8CharLength(std::string_view text, size_t at);

// Offset of the first byte that is not cp932 text, or npos.
size_t FirstInvalidCp932(std::string_view text);

// UTF-8 of cp932 text; what cannot be decoded becomes U+FFFD.
std::string Utf8(const std::string& cp932);

// cp932 of UTF-8 text, as Windows would write it back; a character cp932 has
// no form for (or a byte that is no UTF-8) becomes '?' and is counted in lost.
std::string Cp932Of(std::string_view utf8, size_t& lost);

}  // namespace reader

#endif
