#include <gtest/gtest.h>

#include <string>

#include "fakes/process/FakeProcessApi.h"
#include "info/OsVersion.h"
#include "info/process/ProcessInfo.h"
#include "support/SavedOsVersion.h"

namespace {

std::string Repeat(const std::string& piece, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i) text += piece;
    return text;
}

std::string Rule(int id, int image, int path)
{
    return "+" + Repeat("-", id + 2) + "+" + Repeat("-", image + 2) + "+" + Repeat("-", path + 2) + "+\n";
}

// A process table on a Windows of the test's choosing.
class ProcessInfoTest : public ::testing::Test {
protected:
    ProcessInfoTest()
    {
        Windows(VER_PLATFORM_WIN32_NT, 6);
    }
    void Windows(DWORD platform, DWORD major)
    {
        OsVersion.dwPlatformId = platform;
        OsVersion.dwMajorVersion = major;
    }
    std::string Run()
    {
        TProcessInfo info(Api);
        info.Collect();
        EXPECT_EQ(0, Api.OpenHandles) << "a snapshot or process handle was left open";
        EXPECT_EQ(0, Api.OpenLibraries()) << "a library was left loaded";
        std::string text;
        for (const std::string& element : info.GetLines()) text += element;
        Elements = info.GetLines().size();
        return text;
    }

    TFakeProcessApi Api;
    size_t Elements = 0;

private:
    TSavedOsVersion SavedVersion;
};

const std::string Header12x8 = "| PID | イメージ名   | 項目名   |\n";

}  // namespace

TEST_F(ProcessInfoTest, WidthsFollowTheWidestIdNameAndPath)
{
    const std::string path = "C:\\Games\\Tools123\\explorer.exe";
    ASSERT_EQ(30u, path.size());
    Api.Processes = {{4, "System"}, {1234, "explorer.exe"}};
    Api.Modules[1234] = {{"ntdll.dll", "C:\\WINDOWS\\system32\\ntdll.dll"}, {"EXPLORER.EXE", path}};
    const std::string rule = Rule(4, 12, 30);
    EXPECT_EQ("Process Enum:\n" + rule + "| PID  | イメージ名   | 項目名" + Repeat(" ", 25) + "|\n" + rule + "|    4 | System " +
                  Repeat(" ", 6) + "| System " + Repeat(" ", 24) + "|\n" + "| 1234 | explorer.exe | " + path + " |\n" +
                  rule + "\n",
              Run());
    // Piece by piece: a rule is 1 + 6 + 1 + 14 + 1 + 32 + 1 elements.
    EXPECT_LT(200u, Elements);
}

TEST_F(ProcessInfoTest, MinimumWidthsAndShortIds)
{
    Api.Processes = {{7, "a.exe"}};
    EXPECT_EQ("Process Enum:\n" + Rule(1, 12, 8) + Header12x8 + Rule(1, 12, 8) + "| 7 | a.exe        | a.exe    |\n" +
                  Rule(1, 12, 8) + "\n",
              Run());
}

TEST_F(ProcessInfoTest, EveryFailedWalkStillPrintsTheEmptyTable)
{
    const std::string empty = "Process Enum:\n+-+--------------+----------+\n" + Header12x8 +
                              "+-+--------------+----------+\n+-+--------------+----------+\n\n";
    const char* const functions[] = {"CreateToolhelp32Snapshot", "Process32First", "Process32Next"};
    for (const char* function : functions) {
        TFakeProcessApi api;
        api.Processes = {{7, "a.exe"}};
        api.MissingFunctions.insert(function);
        TProcessInfo info(api);
        info.Collect();
        EXPECT_EQ(0u, info.GetEntries().size()) << function;
        EXPECT_EQ(0, api.OpenLibraries()) << function;
    }
    Api.Processes = {{7, "a.exe"}};
    Api.ProcessSnapshotFails = true;
    EXPECT_EQ(empty, Run());
    Api.ProcessSnapshotFails = false;
    Api.MissingLibraries.insert("Kernel32.DLL");
    EXPECT_EQ(empty, Run());
}

TEST_F(ProcessInfoTest, NtvdmIsFollowedByItsSixteenBitTasks)
{
    Api.Processes = {{100, "ntvdm.exe"}, {200, "b.exe"}};
    Api.Tasks[100] = {{0x1F, "C:\\OLD\\GAME16.EXE"}, {0, "C:\\OLD\\ZERO.EXE"}};
    Api.ImagePaths[31] = "C:\\unrelated process 31.exe";  // a task handle is never asked as a process
    TProcessInfo info(Api);
    info.Collect();
    std::vector<std::string> rows;
    for (const ProcessEntry& entry : info.GetEntries()) rows.push_back(std::to_string(entry.Id) + " " + entry.Path);
    const std::vector<std::string> expected = {"100 ntvdm.exe", "31 C:\\OLD\\GAME16.EXE", "100 C:\\OLD\\ZERO.EXE",
                                               "200 b.exe"};
    EXPECT_EQ(expected, rows);
    EXPECT_EQ("C:\\WINDOWS\\system32\\Kernel32.DLL", Api.LoadedPaths.at(0));
    EXPECT_EQ("C:\\WINDOWS\\system32\\VDMDBG.DLL", Api.LoadedPaths.at(1));
}

TEST_F(ProcessInfoTest, WithoutTheTaskWalkProcessesAreStillListed)
{
    for (int way = 0; way < 2; ++way) {
        TFakeProcessApi api;
        api.Processes = {{100, "NTVDM.EXE"}, {200, "b.exe"}};
        api.Tasks[100] = {{0x1F, "GAME16.EXE"}};
        if (way == 0) api.MissingLibraries.insert("VDMDBG.DLL");
        if (way == 1) api.MissingFunctions.insert("VDMEnumTaskWOWEx");
        TProcessInfo info(api);
        info.Collect();
        EXPECT_EQ(2u, info.GetEntries().size()) << "way " << way;
        EXPECT_EQ(0, api.OpenLibraries());
    }
}

TEST_F(ProcessInfoTest, SixtyFourBitProcessesGetTheirPathFromTheProcessItself)
{
    Api.Processes = {{300, "game64.exe"}, {400, "old.exe"}};
    Api.ImagePaths[300] = "C:\\Program Files\\Game\\game64.exe";  // no module list from 32 bits
    Api.Modules[400] = {{"other.dll", "C:\\other.dll"}};         // list without its own module
    TProcessInfo info(Api);
    info.Collect();
    ASSERT_EQ(2u, info.GetEntries().size());
    EXPECT_EQ("C:\\Program Files\\Game\\game64.exe", info.GetEntries().front().Path);
    EXPECT_EQ("old.exe", info.GetEntries().back().Path);
    EXPECT_EQ(0, Api.OpenHandles);

    TFakeProcessApi xp;  // before Vista: no such function, the bare name stays
    xp.Processes = {{300, "game64.exe"}};
    xp.ImagePaths[300] = "C:\\game64.exe";
    xp.MissingFunctions.insert("QueryFullProcessImageNameA");
    TProcessInfo old(xp);
    old.Collect();
    EXPECT_EQ("game64.exe", old.GetEntries().front().Path);
}

TEST_F(ProcessInfoTest, OtherWindowsFamilies)
{
    Api.Processes = {{7, "a.exe"}};
    Api.Modules[7] = {{"a.exe", "C:\\a.exe"}};
    Windows(VER_PLATFORM_WIN32_NT, 4);
    EXPECT_EQ("Process Enum:\nWindows NT 4.0は未対応です。\n\n", Run());
    Windows(VER_PLATFORM_WIN32_NT, 3);
    EXPECT_EQ("Process Enum:\n\n", Run());
    Windows(VER_PLATFORM_WIN32s, 3);
    EXPECT_EQ("Process Enum:\n\n", Run());
    EXPECT_TRUE(Api.LoadedPaths.empty());

    Windows(VER_PLATFORM_WIN32_WINDOWS, 4);  // 98: no module lookup, no VDMDBG
    const std::string text = Run();
    EXPECT_NE(std::string::npos, text.find("| 7 | a.exe        | a.exe    |\n")) << text;
    EXPECT_EQ(0, Api.ModuleSnapshots);
    EXPECT_EQ(1u, Api.LoadedPaths.size());
}
