#include "ExitBench.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Clock.h"
#include "app/resource.h"

namespace {

const char* const Caption = "環境チェック  Version 20120508";

struct TFind {
    DWORD ProcessId;
    HWND Found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM context)
{
    auto* find = reinterpret_cast<TFind*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char caption[256] = {};
    GetWindowTextA(window, caption, sizeof(caption));
    if (owner == find->ProcessId && std::string(caption) == Caption && IsWindowVisible(window) &&
        GetDlgItem(window, IDC_START) != nullptr) {
        find->Found = window;
        return FALSE;
    }
    return TRUE;
}

// The shown dialog of the process, with its controls; null after ten seconds.
HWND WaitForDialog(DWORD processId)
{
    const double start = NowMs();
    TFind find = {processId, nullptr};
    while (find.Found == nullptr && NowMs() - start < 10000) {
        EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&find));
        if (find.Found == nullptr) Sleep(5);
    }
    return find.Found;
}

void Press(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

PROCESS_INFORMATION Start(const char* envcheck, const std::string& arguments)
{
    std::string line = std::string("\"") + envcheck + "\"" + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        process = {};
    return process;
}

void Close(PROCESS_INFORMATION& process)
{
    if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process.hProcess, 99);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
}

// Exit at delay ms after Start (none when start is false): the times until the
// dialog is gone and until the process has ended; negative when it failed.
void ExitAt(const char* envcheck, bool start, double delay, double& gone, double& ended)
{
    gone = ended = -1;
    PROCESS_INFORMATION process = Start(envcheck, "");
    if (process.hProcess == nullptr) return;
    HWND dialog = WaitForDialog(process.dwProcessId);
    if (dialog != nullptr) {
        if (start) Press(dialog, IDC_START);
        Sleep(static_cast<DWORD>(delay));
        const double pressed = NowMs();
        Press(dialog, IDCANCEL);
        while (IsWindow(dialog) && NowMs() - pressed < 60000) Sleep(1);
        if (!IsWindow(dialog)) gone = NowMs() - pressed;
        if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) ended = NowMs() - pressed;
    }
    Close(process);
}

}  // namespace

TExitTimes MeasureExit(const char* envcheck, int runs)
{
    TExitTimes times = {};
    std::vector<double> wholeRuns;
    char directory[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, directory);
    const std::string report = std::string(directory) + "envcheck_bench_exit.txt";
    for (int run = 0; run < runs; ++run) {
        const double start = NowMs();
        PROCESS_INFORMATION process = Start(envcheck, " /report \"" + report + "\"");
        if (process.hProcess == nullptr) {
            times.StartError = GetLastError();
            return times;
        }
        WaitForSingleObject(process.hProcess, 60000);
        wholeRuns.push_back(NowMs() - start);
        Close(process);
    }
    DeleteFileA(report.c_str());
    times.WholeRunMs = Median(wholeRuns);

    std::vector<double> idle;
    for (int run = 0; run < runs; ++run) {
        double gone = 0, ended = 0;
        ExitAt(envcheck, false, 0, gone, ended);
        if (ended >= 0) idle.push_back(ended);
    }
    times.IdleEndedMs = idle.empty() ? 0 : Median(idle);

    // Ten moments over the whole run and a little past its end, each the median of the runs.
    times.Moments = 10;
    for (int moment = 0; moment < times.Moments; ++moment) {
        const double delay = moment * (times.WholeRunMs + 200) / times.Moments;
        std::vector<double> gone, ended;
        for (int run = 0; run < runs; ++run) {
            double g = 0, e = 0;
            ExitAt(envcheck, true, delay, g, e);
            if (g < 0 || e < 0) {
                ++times.Failures;
                continue;
            }
            gone.push_back(g);
            ended.push_back(e);
        }
        if (!gone.empty()) times.LongestGoneMs = std::max(times.LongestGoneMs, Median(gone));
        if (!ended.empty()) times.LongestEndedMs = std::max(times.LongestEndedMs, Median(ended));
    }
    return times;
}
