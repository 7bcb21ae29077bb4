#include "app/HeadlessReport.h"

#include <windows.h>

#include "app/CheckThread.h"
#include "app/Collectors.h"
#include "app/ReportSaver.h"
#include "info/WideText.h"

const char* const ReportUsage = "envcheck: usage: envcheck.exe /report FILE\n";

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
    int MessageBoxW(HWND, LPCWSTR text, LPCWSTR, UINT) override
    {
        WriteError("envcheck: " + NarrowText(text, ReportCodePage) + "\n");
        return IDOK;
    }
};

int CannotWrite(const std::wstring& path)
{
    // In cp932, like every other line envcheck writes.
    WriteError("envcheck: cannot write the report to " + NarrowText(path, ReportCodePage) + "\n");
    return 2;
}

}  // namespace

int RunHeadlessReport(const std::wstring& path, const std::vector<TBaseInfo*>& collectors,
                      const OsVersionRecord& version)
{
    // A device or a missing folder is refused before the long collection.
    if (!CanHoldReport(path)) return CannotWrite(path);
    THeadlessShellApi api;
    // Nothing to show: a failure goes to the error box, which writes standard error.
    TRunView nothingShown;
    {
        TCheckThread worker(collectors, version, nothingShown, api);
        if (!worker.Create(false)) {
            WriteError("envcheck: the worker thread could not be started\n");
            return 1;
        }
        worker.WaitFor();
        if (worker.GetExitCode() != 0) return 1;
    }
    return WriteReport(path, collectors) ? 0 : CannotWrite(path);
}

int RunHeadless(const TCommandLine& command)
{
    if (command.Mode != TCommandLine::Report) {
        WriteError(ReportUsage);
        return 2;
    }
    try {
        const TCollectors collectors;
        return RunHeadlessReport(command.ReportPath, collectors.List(), collectors.Version);
    } catch (...) {
        // Out of memory outside the worker: the same word as inside it.
        WriteError(std::string("envcheck: ") + TCheckThread::FailureText + "\n");
        return 1;
    }
}
