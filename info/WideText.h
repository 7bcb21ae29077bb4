#ifndef ENVCHECK_INFO_WIDETEXT_H
#define ENVCHECK_INFO_WIDETEXT_H

#include <windows.h>

#include <cwchar>
#include <string>

// The code page of the report and of the program's own texts, whatever the
// process's ANSI code page is.
const UINT ReportCodePage = 932;

// Text between a code page's bytes and UTF-16. A character the target code
// page lacks becomes the code page's default character ('?').
std::wstring WideText(const std::string& text, UINT codePage);
std::string NarrowText(const std::wstring& text, UINT codePage);

// A text in the given code page as the report's cp932: unchanged when it is
// cp932 already; otherwise '?' for a character cp932 lacks (never a look-alike)
// and for an invalid sequence, so every character comes out whole.
std::string Cp932Text(const std::string& text, UINT codePage);
// A UTF-16 text as the report's cp932, with the same '?' for what cp932 lacks.
std::string Cp932Text(const std::wstring& text);

// A platform structure's fixed text field, which a text as long as the field fills without a terminator.
template <size_t Size>
std::string FieldText(const WCHAR (&field)[Size])
{
    return Cp932Text(std::wstring(field, wcsnlen(field, Size)));
}

#endif
