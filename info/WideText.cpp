#include "info/WideText.h"

#include <climits>

namespace {

std::string Narrow(const std::wstring& text, UINT codePage, DWORD flags)
{
    if (text.empty() || text.size() > INT_MAX) return std::string();
    const int length = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return std::string();
    std::string narrow(static_cast<size_t>(size), '\0');
    const int converted =
        WideCharToMultiByte(codePage, flags, text.data(), length, &narrow[0], size, nullptr, nullptr);
    narrow.resize(converted > 0 ? static_cast<size_t>(converted) : 0);
    return narrow;
}

}  // namespace

std::wstring WideText(const std::string& text, UINT codePage)
{
    if (text.empty() || text.size() > INT_MAX) return std::wstring();
    const int length = static_cast<int>(text.size());
    const int size = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    if (size <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(size), L'\0');
    const int converted = MultiByteToWideChar(codePage, 0, text.data(), length, &wide[0], size);
    wide.resize(converted > 0 ? static_cast<size_t>(converted) : 0);
    return wide;
}

std::string NarrowText(const std::wstring& text, UINT codePage) { return Narrow(text, codePage, 0); }

std::string Cp932Text(const std::string& text, UINT codePage)
{
    if (codePage == ReportCodePage) return text;
    // An invalid sequence arrives as U+FFFD, which cp932 lacks.
    return Cp932Text(WideText(text, codePage));
}

std::string Cp932Text(const std::wstring& text) { return Narrow(text, ReportCodePage, WC_NO_BEST_FIT_CHARS); }
