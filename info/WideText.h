#ifndef ENVCHECK_INFO_WIDETEXT_H
#define ENVCHECK_INFO_WIDETEXT_H

#include <windows.h>

#include <string>

// Text between a code page's bytes and UTF-16. A character the target code
// page lacks becomes the code page's default character ('?').
std::wstring WideText(const std::string& text, UINT codePage);
std::string NarrowText(const std::wstring& text, UINT codePage);

#endif
