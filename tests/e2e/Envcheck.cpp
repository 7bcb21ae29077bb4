#include "e2e/Envcheck.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "info/WideText.h"

std::string WindowsPath(const char* unixPath)
{
    std::string path = std::string("Z:") + unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

std::string TEnvcheck::ExecutablePath()
{
    const char* unixPath = std::getenv("ENVCHECK_EXE");
    return unixPath == nullptr ? "envcheck.exe" : WindowsPath(unixPath);
}

namespace {

std::wstring Wide(const std::string& text) { return WideText(text, CP_ACP); }

}  // namespace

TEnvcheck::TEnvcheck(const std::string& arguments, const std::string& executable,
                     const std::string& currentDirectory)
{
    Start(Wide(arguments), Wide(executable), Wide(currentDirectory));
}

TEnvcheck::TEnvcheck(const std::wstring& arguments, const std::wstring& executable)
{
    Start(arguments, executable, L"");
}

void TEnvcheck::Start(const std::wstring& arguments, const std::wstring& executable,
                      const std::wstring& currentDirectory)
{
    char directory[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, directory);
    static int count = 0;
    ErrorFile = std::string(directory) + "envcheck_e2e_" + std::to_string(GetCurrentProcessId()) + "_" +
                std::to_string(++count) + ".err";
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE error = CreateFileA(ErrorFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);

    std::wstring commandLine = L"\"" + (executable.empty() ? Wide(ExecutablePath()) : executable) + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = error;
    // Wide, so that a path outside the code page reaches the program as it is. 64-bit Wine now and then
    // fails a start with ERROR_INTERNAL_ERROR before any process exists: that start is made again, twice at most.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                           currentDirectory.empty() ? nullptr : currentDirectory.c_str(), &startup, &Process))
            break;
        StartError = GetLastError();
        Process = {};
        if (StartError != ERROR_INTERNAL_ERROR) break;
    }
    CloseHandle(error);
}

TEnvcheck::~TEnvcheck()
{
    if (Process.hProcess != nullptr) {
        if (WaitForSingleObject(Process.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(Process.hProcess, 99);
            WaitForSingleObject(Process.hProcess, 10000);
        }
        CloseHandle(Process.hProcess);
        CloseHandle(Process.hThread);
    }
    DeleteFileA(ErrorFile.c_str());
}

HWND TEnvcheck::WaitForWindow(const std::string& caption, DWORD milliseconds)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : TopLevelWindows(Process.dwProcessId, caption))
                if (IsWindowVisible(window)) return (found = window) != nullptr;
            return false;
        },
        milliseconds);
    return found;
}

HWND TEnvcheck::WaitForDialog()
{
    HWND dialog = nullptr;
    EXPECT_TRUE(AwaitReadyDialog(Process.dwProcessId, dialog));
    return dialog;
}

::testing::AssertionResult TEnvcheck::WaitForExit(DWORD milliseconds, DWORD& exitCode)
{
    if (Process.hProcess == nullptr)
        return ::testing::AssertionFailure() << "the program never started (error " << StartError << ")";
    if (WaitForSingleObject(Process.hProcess, milliseconds) != WAIT_OBJECT_0)
        return ::testing::AssertionFailure() << "the program still ran after " << milliseconds << " ms";
    GetExitCodeProcess(Process.hProcess, &exitCode);
    return ::testing::AssertionSuccess();
}

std::string TEnvcheck::ErrorOutput()
{
    std::ifstream file(ErrorFile, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

std::string HeadlessReport(const std::string& fileName, const std::string& executable)
{
    const std::string path = TempPath(fileName);
    TEnvcheck program("/report \"" + path + "\"", executable);
    DWORD code = 0xdeadbeef;
    const ::testing::AssertionResult ended = program.WaitForExit(RunLimit, code);
    EXPECT_TRUE(ended) << "/report " << path;
    EXPECT_TRUE(!ended || code == 0) << "/report exit code " << code << ": " << program.ErrorOutput();
    if (!ended || code != 0) return std::string();
    const std::string report = ReadFile(path);
    DeleteFileA(path.c_str());
    return report;
}

std::vector<std::string> ReportLines(const std::string& report)
{
    std::istringstream text(report);
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    return lines;
}

size_t FindLine(const std::vector<std::string>& lines, const std::string& text, size_t from)
{
    for (size_t i = from; i < lines.size(); ++i)
        if (lines[i] == text) return i;
    return std::string::npos;
}

std::string WithoutMovingFigures(const std::string& report)
{
    static const char* const moving[] = {" ullUsedPageFile: ", " ullAvailPageFile: ", " szPageFileLocalized: ",
                                         " szPageFileEnglish: ", " szTimeLocalized: ", " szTimeEnglish: "};
    std::istringstream lines(report);
    std::string line;
    std::string kept;
    bool processes = false;
    while (std::getline(lines, line)) {
        // Process IDs and the other programs of the moment differ between runs.
        if (line == "Process Enum:") processes = true;
        if (processes && line.empty()) processes = false;
        if (processes && line != "Process Enum:") continue;  // its widths move too
        const bool free = line.compare(0, 12, " FreeBytes: ") == 0 || line.find("空き") != std::string::npos;
        if (free) line = line.substr(0, line.find_last_not_of("0123456789") + 1) + "*";
        for (const char* prefix : moving)
            if (line.compare(0, strlen(prefix), prefix) == 0) line = std::string(prefix) + "*";
        kept += line + "\n";
    }
    return kept;
}
