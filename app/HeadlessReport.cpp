#include "app/HeadlessReport.h"

#include <windows.h>

#include <vector>

#include "app/CheckThread.h"
#include "app/Collectors.h"
#include "app/ReportSaver.h"

namespace {

void WriteError(const std::string& line)
{
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    DWORD written = 0;
    if (error != nullptr && error != INVALID_HANDLE_VALUE)
        WriteFile(error, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

// No window may appear: the run's message box becomes a line on standard error.
class THeadlessShellApi : public TWin32ShellApi {
public:
    int MessageBoxA(HWND, LPCSTR text, LPCSTR, UINT) override
    {
        WriteError(std::string("envcheck: ") + text + "\n");
        return IDOK;
    }
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::string ReportFileArgument(const char* commandLine)
{
    std::string line = commandLine != nullptr ? commandLine : "";
    const std::string option = "/report";
    std::string::size_type at = 0;
    while (at < line.size() && IsBlank(line[at])) ++at;
    if (line.compare(at, option.size(), option) != 0) return std::string();
    at += option.size();
    if (at >= line.size() || !IsBlank(line[at])) return std::string();
    while (at < line.size() && IsBlank(line[at])) ++at;
    std::string::size_type end = line.size();
    while (end > at && IsBlank(line[end - 1])) --end;
    std::string path = line.substr(at, end - at);
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"') path = path.substr(1, path.size() - 2);
    return path;
}

int RunHeadlessReport(const std::string& path)
{
    std::vector<TBaseInfo*> collectors;
    CreateCollectors(collectors);
    THeadlessShellApi api;
    int result = 0;
    {
        TCheckThread worker(collectors, api);
        if (!worker.Create(false)) {
            WriteError("envcheck: the worker thread could not be started\n");
            result = 1;
        }
        worker.WaitFor();
        if (result == 0 && worker.GetExitCode() != 0) result = 1;
    }
    if (result == 0 && !WriteReport(path, collectors)) {
        WriteError("envcheck: cannot write the report to " + path + "\n");
        result = 2;
    }
    DeleteCollectors(collectors);
    return result;
}
