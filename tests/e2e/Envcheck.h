#ifndef ENVCHECK_TESTS_E2E_ENVCHECK_H
#define ENVCHECK_TESTS_E2E_ENVCHECK_H

#include <windows.h>

#include <string>
#include <vector>

#include "support/Await.h"
#include "support/DialogDriver.h"

// The real envcheck.exe (named by ENVCHECK_EXE), started as its own process.
class TEnvcheck {
public:
    // Another copy of the program and a current directory may be given.
    explicit TEnvcheck(const std::string& arguments = "", const std::string& executable = "",
                       const std::string& currentDirectory = "");
    explicit TEnvcheck(const std::wstring& arguments, const std::wstring& executable = L"");
    ~TEnvcheck();
    TEnvcheck(const TEnvcheck&) = delete;
    TEnvcheck& operator=(const TEnvcheck&) = delete;

    bool Started() const { return Process.hProcess != nullptr; }
    // The main dialog once it is ready to be driven; on time-out a failure of
    // the running test says what was seen, and the result is null.
    HWND WaitForDialog();
    // A shown top-level window of this process with the given caption.
    HWND WaitForWindow(const std::string& caption, DWORD milliseconds);
    // Whether the process ended in time; its exit code then.
    ::testing::AssertionResult WaitForExit(DWORD milliseconds, DWORD& exitCode);
    std::string ErrorOutput();

    static std::string ExecutablePath();

private:
    void Start(const std::wstring& arguments, const std::wstring& executable, const std::wstring& currentDirectory);

    PROCESS_INFORMATION Process = {};
    DWORD StartError = 0;  // CreateProcessW's error when the program never started
    std::string ErrorFile;
};

// A file of the build, named as a Unix path, as Wine's Z: drive names it.
std::string WindowsPath(const char* unixPath);

// A whole headless report of the real program (or of a copy of it); empty,
// with a failure that says why, when it did not end with 0.
std::string HeadlessReport(const std::string& fileName, const std::string& executable = "");
std::vector<std::string> ReportLines(const std::string& report);
// The report with what moves between two runs masked: free disk and memory,
// the page file, the clock, and the process rows.
std::string WithoutMovingFigures(const std::string& report);
// Index of the first line equal to the text at or after from; npos when none.
size_t FindLine(const std::vector<std::string>& lines, const std::string& text, size_t from = 0);

#endif
