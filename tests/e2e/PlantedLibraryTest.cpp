#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "e2e/Envcheck.h"

namespace {

// Libraries that envcheck loads or that are loaded on its behalf, none of
// them protected by name the way kernel32 or user32 are.
const char* const Planted[] = {"vdmdbg.dll", "d3d9.dll",    "iphlpapi.dll", "dxdiagn.dll", "d3d8.dll",
                               "ddraw.dll",  "dsound.dll",  "dinput8.dll",  "dinput.dll",  "wined3d.dll",
                               "version.dll", "winmm.dll",  "uxtheme.dll",  "dwmapi.dll",  "setupapi.dll",
                               "wintrust.dll", "crypt32.dll", "dbghelp.dll", "psapi.dll",   "msimg32.dll",
                               "comctl32.dll", "dxgi.dll",   "opengl32.dll", "winspool.drv", "shell32.dll"};

std::string WindowsPath(const char* unixPath)
{
    std::string path = std::string("Z:") + unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

}  // namespace

TEST(PlantedLibraryTest, NoLibraryIsLoadedFromTheProgramsFolder)
{
    const char* planted = std::getenv("ENVCHECK_PLANTED");
    ASSERT_NE(nullptr, planted) << "ENVCHECK_PLANTED names the library to plant";
    const std::string folder = TempPath("downloads");
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string program = folder + "\\envcheck.exe";
    ASSERT_TRUE(CopyFileA(TEnvcheck::ExecutablePath().c_str(), program.c_str(), FALSE)) << GetLastError();
    for (const char* name : Planted) {
        const std::string path = folder + "\\" + name;
        ASSERT_TRUE(CopyFileA(WindowsPath(planted).c_str(), path.c_str(), FALSE)) << name << ": " << GetLastError();
        DeleteFileA((path + ".loaded").c_str());
    }

    const std::string report = folder + "\\report.txt";
    {
        TEnvcheck run("/report \"" + report + "\"", program, folder);
        DWORD code = 0xdeadbeef;
        ASSERT_TRUE(run.WaitForExit(180000, code));
        EXPECT_EQ(0u, code) << run.ErrorOutput();
    }
    const std::string text = ReadFile(report);
    EXPECT_NE(std::string::npos, text.find("Graphic Adapter information:")) << "a whole report, DirectX included";
    EXPECT_NE(std::string::npos, text.find("AdapterName: ")) << "the network section too";
    for (const char* name : Planted) {
        const std::string mark = folder + "\\" + name + ".loaded";
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(mark.c_str())) << name << " was loaded";
        DeleteFileA(mark.c_str());
        DeleteFileA((folder + "\\" + name).c_str());
    }
    DeleteFileA(report.c_str());
    DeleteFileA(program.c_str());
    RemoveDirectoryA(folder.c_str());
}
