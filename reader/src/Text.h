#ifndef ENVCHECK_READER_TEXT_H
#define ENVCHECK_READER_TEXT_H

#include <string_view>

namespace reader {

inline bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

}  // namespace reader

#endif
