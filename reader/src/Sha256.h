#ifndef ENVCHECK_READER_SHA256_H
#define ENVCHECK_READER_SHA256_H

#include <string>
#include <string_view>

namespace reader {

// Lower-case hexadecimal SHA-256 of the bytes: the same file is never stored twice.
std::string Sha256Hex(std::string_view bytes);

}  // namespace reader

#endif
