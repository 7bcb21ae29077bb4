#include "app/CommandLine.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

namespace {

const std::wstring Option = L"report";

bool SameLetters(const std::wstring& text, size_t at, const std::wstring& lowerCase)
{
    if (text.size() - at < lowerCase.size()) return false;
    for (size_t i = 0; i < lowerCase.size(); ++i) {
        wchar_t c = text[at + i];
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
        if (c != lowerCase[i]) return false;
    }
    return true;
}

std::vector<std::wstring> Arguments(const wchar_t* commandLine)
{
    std::vector<std::wstring> arguments;
    if (commandLine == nullptr || *commandLine == L'\0') return arguments;
    int count = 0;
    wchar_t** list = CommandLineToArgvW(commandLine, &count);
    if (list == nullptr) return arguments;
    for (int i = 0; i < count; ++i) arguments.push_back(list[i]);
    LocalFree(list);
    return arguments;
}

}  // namespace

TCommandLine ReadCommandLine(const wchar_t* commandLine)
{
    TCommandLine result;
    const std::vector<std::wstring> arguments = Arguments(commandLine);
    if (arguments.size() < 2) return result;
    const std::wstring& first = arguments[1];
    if (first.empty() || (first[0] != L'/' && first[0] != L'-') || !SameLetters(first, 1, Option)) return result;
    const size_t end = 1 + Option.size();
    size_t files = arguments.size() - 2;
    if (first.size() == end) {
        if (files == 1) result.ReportPath = arguments[2];
    } else if (first[end] == L':') {
        result.ReportPath = first.substr(end + 1);
        ++files;
    } else {
        return result;  // "/reports" and the like are not the option
    }
    result.Mode = files == 1 && !result.ReportPath.empty() ? TCommandLine::Report : TCommandLine::Usage;
    if (result.Mode == TCommandLine::Usage) result.ReportPath.clear();
    return result;
}
