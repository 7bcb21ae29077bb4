#ifndef ENVCHECK_TESTS_E2E_ENVCHECK_H
#define ENVCHECK_TESTS_E2E_ENVCHECK_H

#include <windows.h>

#include <string>
#include <vector>

#include "support/TestSupport.h"

// The real envcheck.exe (named by ENVCHECK_EXE), started as its own process.
class TEnvcheck {
public:
    // Another copy of the program and a current directory may be given.
    explicit TEnvcheck(const std::string& arguments = "", const std::string& executable = "",
                       const std::string& currentDirectory = "");
    ~TEnvcheck();
    TEnvcheck(const TEnvcheck&) = delete;
    TEnvcheck& operator=(const TEnvcheck&) = delete;

    bool Started() const { return Process.hProcess != nullptr; }
    // The main dialog, once it is shown (null after the time-out).
    HWND WaitForDialog(DWORD milliseconds = 30000);
    // A top-level window of this process with the given caption.
    HWND WaitForWindow(const std::string& caption, DWORD milliseconds);
    // True when the process ended in time; its exit code then.
    bool WaitForExit(DWORD milliseconds, DWORD& exitCode);
    std::string ErrorOutput();

    static std::string ExecutablePath();

private:
    PROCESS_INFORMATION Process = {};
    std::string ErrorFile;
};

extern const char* const DialogCaption;

// A whole headless report of the real program, empty when it did not end with 0.
std::string HeadlessReport(const std::string& fileName);
std::vector<std::string> ReportLines(const std::string& report);
// Index of the first line equal to the text at or after from; npos when none.
size_t FindLine(const std::vector<std::string>& lines, const std::string& text, size_t from = 0);

#endif
