#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/Envcheck.h"

namespace {

// Wine's loader takes these from the program's folder while it resolves the
// imports of comdlg32 and shell32, before any of envcheck's code runs: Wine
// keeps no list of known libraries. Preferring the planted copies would stop
// every program at start-up, so they stay planted but are not overridden.
// shcore.dll, which envcheck loads for the displays' DPI, is not planted at
// all: shell32 imports it, and Wine takes even an unoverridden copy from the
// folder at start-up (Windows has it among its known DLLs).
const std::vector<std::string> LoadedAtStartUp = {"comctl32.dll", "version.dll", "shell32.dll", "uxtheme.dll",
                                                  "winspool.drv"};

// Libraries envcheck loads, or that are loaded on its behalf while it runs,
// none of them protected by name the way kernel32 or user32 are: the names
// the build tells Wine to take from the program's folder first
// (ENVCHECK_DLL_OVERRIDES, "name,name=n,b").
std::vector<std::string> NativeFirstNames()
{
    const char* overrides = std::getenv("ENVCHECK_DLL_OVERRIDES");
    std::vector<std::string> names;
    if (overrides == nullptr) return names;
    std::istringstream list(std::string(overrides).substr(0, std::string(overrides).find('=')));
    for (std::string name; std::getline(list, name, ',');)
        names.push_back(name.find('.') == std::string::npos ? name + ".dll" : name);
    return names;
}

const std::vector<std::string> LoadedWhileRunning = NativeFirstNames();

class PlantedLibraryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* planted = std::getenv("ENVCHECK_PLANTED");
        const char* loader = std::getenv("ENVCHECK_LOADER");
        ASSERT_TRUE(planted != nullptr && loader != nullptr) << "ENVCHECK_PLANTED and ENVCHECK_LOADER name the files";
        CreateDirectoryA(Folder.c_str(), nullptr);
        ASSERT_TRUE(CopyFileA(TEnvcheck::ExecutablePath().c_str(), Program.c_str(), FALSE)) << GetLastError();
        ASSERT_TRUE(CopyFileA(WindowsPath(loader).c_str(), Loader.c_str(), FALSE)) << GetLastError();
        for (const std::string& name : Everything()) {
            ASSERT_TRUE(CopyFileA(WindowsPath(planted).c_str(), (Folder + "\\" + name).c_str(), FALSE))
                << name << ": " << GetLastError();
        }
        ClearMarks();
    }
    void TearDown() override
    {
        ClearMarks();
        for (const std::string& name : Everything()) DeleteFileA((Folder + "\\" + name).c_str());
        for (const std::string& file : {Program, Loader, Report}) DeleteFileA(file.c_str());
        RemoveDirectoryA(Folder.c_str());
    }

    static std::vector<std::string> Everything()
    {
        std::vector<std::string> names = LoadedWhileRunning;
        names.insert(names.end(), LoadedAtStartUp.begin(), LoadedAtStartUp.end());
        return names;
    }
    bool Marked(const std::string& name) const
    {
        return GetFileAttributesA((Folder + "\\" + name + ".loaded").c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    void ClearMarks() const
    {
        for (const std::string& name : Everything()) DeleteFileA((Folder + "\\" + name + ".loaded").c_str());
    }

    const std::string Folder = TempPath("downloads");
    const std::string Program = Folder + "\\envcheck.exe";
    const std::string Loader = Folder + "\\loader.exe";
    const std::string Report = Folder + "\\report.txt";
};

}  // namespace

TEST_F(PlantedLibraryTest, NoLibraryIsLoadedFromTheProgramsFolder)
{
    ASSERT_FALSE(LoadedWhileRunning.empty()) << "ENVCHECK_DLL_OVERRIDES names no library to take from the folder";
    // The control: loaded by bare name, every planted library is found.
    std::string names;
    for (const std::string& name : LoadedWhileRunning) names += " " + name;
    {
        TEnvcheck control(names.substr(1), Loader, Folder);
        DWORD code = 0xdeadbeef;
        ASSERT_TRUE(control.WaitForExit(RunLimit, code));
    }
    for (const std::string& name : LoadedWhileRunning)
        EXPECT_TRUE(Marked(name)) << name << ": a bare-name load here would not find the planted copy";
    ClearMarks();

    {
        TEnvcheck run("/report \"" + Report + "\"", Program, Folder);
        DWORD code = 0xdeadbeef;
        ASSERT_TRUE(run.WaitForExit(RunLimit, code));
        EXPECT_EQ(0u, code) << run.ErrorOutput();
    }
    const std::string text = ReadFile(Report);
    EXPECT_NE(std::string::npos, text.find("Graphic Adapter information:")) << "a whole report, DirectX included";
    EXPECT_NE(std::string::npos, text.find("AdapterName: ")) << "the network section too";
    for (const std::string& name : Everything()) EXPECT_FALSE(Marked(name)) << name << " was loaded";
}
