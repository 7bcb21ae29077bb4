#ifndef ENVCHECK_INFO_BOUNDEDTEXT_H
#define ENVCHECK_INFO_BOUNDEDTEXT_H

#include <cstring>
#include <string>

// A text the platform wrote into a buffer: up to its NUL, never past the
// buffer's end, whether the platform terminated it or not.
inline std::string BoundedText(const char* text, size_t size) { return std::string(text, strnlen(text, size)); }

template <size_t Size>
std::string BoundedText(const char (&text)[Size])
{
    return BoundedText(text, Size);
}

#endif
