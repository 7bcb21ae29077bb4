#ifndef ENVCHECK_TESTS_SUPPORT_TESTSUPPORT_H
#define ENVCHECK_TESTS_SUPPORT_TESTSUPPORT_H

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

// Polls until the condition holds or the time is up.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > milliseconds) return false;
        Sleep(20);
    }
    return true;
}

// A file name in the temporary folder, private to this test process.
inline std::string TempPath(const std::string& name)
{
    char directory[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, directory);
    return std::string(directory) + "envcheck_test_" + std::to_string(GetCurrentProcessId()) + "_" + name;
}

inline std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

#endif
