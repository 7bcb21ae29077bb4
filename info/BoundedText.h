#ifndef ENVCHECK_INFO_BOUNDEDTEXT_H
#define ENVCHECK_INFO_BOUNDEDTEXT_H

#include <windows.h>

#include <cstring>
#include <string>

#include "info/WideText.h"

// A text the platform wrote into a buffer: up to its NUL, never past the
// buffer's end, whether the platform terminated it or not.
inline std::string BoundedText(const char* text, size_t size) { return std::string(text, strnlen(text, size)); }

template <size_t Size>
std::string BoundedText(const char (&text)[Size])
{
    return BoundedText(text, Size);
}

// The same text as the report writes it: the ANSI functions give the process's
// code page, which is not cp932 everywhere (a UTF-8 or a non-Japanese system).
// A name the collector hands back to the platform stays a BoundedText.
inline std::string PlatformText(const char* text, size_t size) { return Cp932Text(BoundedText(text, size), ::GetACP()); }

template <size_t Size>
std::string PlatformText(const char (&text)[Size])
{
    return PlatformText(text, Size);
}

#endif
