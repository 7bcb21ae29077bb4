#ifndef ENVCHECK_READER_CP932_H
#define ENVCHECK_READER_CP932_H

#include <cstddef>
#include <string>

namespace reader {

// Bytes of one cp932 character starting at text[at]: 1 or 2, 0 when the byte
// there cannot start one (or a lead byte has no valid trail byte).
size_t Cp932CharLength(const std::string& text, size_t at);

// Offset of the first byte that is not cp932 text, or npos.
size_t FirstInvalidCp932(const std::string& text);

// UTF-8 of cp932 text; what cannot be decoded becomes U+FFFD.
std::string Utf8(const std::string& cp932);

}  // namespace reader

#endif
