#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/process/FakeProcessApi.h"
#include "info/process/ProcessInfo.h"
#include "support/SectionText.h"

namespace {

const OsVersionRecord Vista = WindowsVersion(VER_PLATFORM_WIN32_NT, 6, 0, 6002);
const OsVersionRecord Nt4 = WindowsVersion(VER_PLATFORM_WIN32_NT, 4, 0, 1381, "Service Pack 6", false);
const OsVersionRecord Nt351 = WindowsVersion(VER_PLATFORM_WIN32_NT, 3, 51, 1057, "", false);
const OsVersionRecord Windows98 = Windows98Version();
const OsVersionRecord Win32s = WindowsVersion(VER_PLATFORM_WIN32s, 3, 10, 0, "", false);

std::string Rule(int id, int image, int path)
{
    const auto dashes = [](int width) { return "+" + std::string(width + 2, '-'); };
    return dashes(id) + dashes(image) + dashes(path) + "+\n";
}

const std::string Header12x8 = "| PID | イメージ名   | 項目名   |\n";
const std::string EmptyRule = Rule(-1, 12, 8);  // no row: the ID column is one dash wide
const std::string EmptyTable = "Process Enum:\n" + EmptyRule + Header12x8 + EmptyRule + EmptyRule + "\n";

// The section of one run on Vista; every handle and library is given back.
std::string Collected(TFakeProcessApi& api)
{
    TProcessInfo info(api);
    info.Collect(Vista);
    EXPECT_EQ(0, api.OpenHandles + api.OpenLibraries()) << "a handle or a library was left open";
    return SectionText(info);
}

std::vector<std::string> Rows(const TProcessInfo& info)
{
    std::vector<std::string> rows;
    for (const ProcessRecord& process : info.GetProcesses())
        rows.push_back(std::to_string(process.Id) + " " + process.Path);
    return rows;
}

}  // namespace

TEST(ProcessInfoTest, WriterRows)
{
    const std::string path = "C:\\Games\\Tools123\\explorer.exe";  // 30 bytes
    const std::string widest = Rule(4, 12, 30);
    const struct {
        std::vector<ProcessRecord> Processes;
        OsVersionRecord Version;
        std::string Text;
    } rows[] = {
        {{}, Vista, EmptyTable},
        {{{7, "a.exe", "a.exe"}}, Windows98,
         "Process Enum:\n" + Rule(1, 12, 8) + Header12x8 + Rule(1, 12, 8) + "| 7 | a.exe        | a.exe    |\n" +
             Rule(1, 12, 8) + "\n"},
        {{{4, "System", "System"}, {1234, "explorer.exe", path}}, Vista,
         "Process Enum:\n" + widest + "| PID  | イメージ名   | 項目名" + std::string(25, ' ') + "|\n" + widest +
             "|    4 | System       | System" + std::string(25, ' ') + "|\n| 1234 | explorer.exe | " + path + " |\n" +
             widest + "\n"},
        {{{7, "a.exe", "a.exe"}}, Nt4, "Process Enum:\nWindows NT 4.0は未対応です。\n\n"},
        {{{7, "a.exe", "a.exe"}}, Nt351, "Process Enum:\n\n"},
        {{{7, "a.exe", "a.exe"}}, Win32s, "Process Enum:\n\n"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.Text, SectionText(WrittenSection(WriteProcessSection, row.Processes, row.Version))) << row.Text;
    // Each rule dash and padding space stands alone: 3 rules of 31, a header of 11 and a row of 18.
    TSection section;
    WriteProcessSection({{7, "a.exe", "a.exe"}}, Vista, section);
    EXPECT_EQ(1 + 3 * 31 + 11 + 18 + 1u, section.Lines().size());
}

TEST(ProcessInfoTest, ModulePathsAndEveryFailedWalkStillPrintsTheEmptyTable)
{
    TFakeProcessApi api;
    api.Processes = {{4, "System"}, {1234, "explorer.exe"}};
    api.Modules[1234] = {{"ntdll.dll", "C:\\WINDOWS\\system32\\ntdll.dll"}, {"EXPLORER.EXE", "C:\\explorer.exe"}};
    TProcessInfo info(api);
    info.Collect(Vista);
    EXPECT_EQ((std::vector<std::string>{"4 System", "1234 C:\\explorer.exe"}), Rows(info));

    for (const char* function : {"CreateToolhelp32Snapshot", "Process32First", "Process32Next"}) {
        TFakeProcessApi missing;
        missing.Processes = {{7, "a.exe"}};
        missing.MissingFunctions.insert(function);
        EXPECT_EQ(EmptyTable, Collected(missing)) << function;
    }
    TFakeProcessApi refused;
    refused.Processes = {{7, "a.exe"}};
    refused.ProcessSnapshotFails = true;
    EXPECT_EQ(EmptyTable, Collected(refused));
    TFakeProcessApi noKernel;
    noKernel.MissingLibraries.insert("Kernel32.DLL");
    EXPECT_EQ(EmptyTable, Collected(noKernel));
}

TEST(ProcessInfoTest, NtvdmIsFollowedByItsSixteenBitTasks)
{
    TFakeProcessApi api;
    api.Processes = {{100, "ntvdm.exe"}, {200, "b.exe"}};
    api.Tasks[100] = {{0x1F, "C:\\OLD\\GAME16.EXE"}, {0, "C:\\OLD\\ZERO.EXE"}};
    api.ImagePaths[31] = "C:\\unrelated process 31.exe";  // a task handle is never asked as a process
    TProcessInfo info(api);
    info.Collect(Vista);
    const std::vector<std::string> rows = {"100 ntvdm.exe", "31 C:\\OLD\\GAME16.EXE", "100 C:\\OLD\\ZERO.EXE",
                                           "200 b.exe"};
    EXPECT_EQ(rows, Rows(info));
    EXPECT_EQ((std::vector<std::string>{"C:\\WINDOWS\\system32\\Kernel32.DLL", "C:\\WINDOWS\\system32\\VDMDBG.DLL"}),
              api.LoadedPaths);
}

TEST(ProcessInfoTest, WithoutTheTaskWalkProcessesAreStillListed)
{
    for (int way = 0; way < 2; ++way) {
        TFakeProcessApi api;
        api.Processes = {{100, "NTVDM.EXE"}, {200, "b.exe"}};
        api.Tasks[100] = {{0x1F, "GAME16.EXE"}};
        if (way == 0) api.MissingLibraries.insert("VDMDBG.DLL");
        if (way == 1) api.MissingFunctions.insert("VDMEnumTaskWOWEx");
        TProcessInfo info(api);
        info.Collect(Vista);
        EXPECT_EQ((std::vector<std::string>{"100 NTVDM.EXE", "200 b.exe"}), Rows(info)) << "way " << way;
        EXPECT_EQ(0, api.OpenLibraries());
    }
}

TEST(ProcessInfoTest, SixtyFourBitProcessesGetTheirPathFromTheProcessItself)
{
    TFakeProcessApi api;
    api.Processes = {{300, "game64.exe"}, {400, "old.exe"}};
    api.ImagePaths[300] = "C:\\Program Files\\Game\\game64.exe";  // no module list from 32 bits
    api.Modules[400] = {{"other.dll", "C:\\other.dll"}};         // list without its own module
    TProcessInfo info(api);
    info.Collect(Vista);
    EXPECT_EQ((std::vector<std::string>{"300 C:\\Program Files\\Game\\game64.exe", "400 old.exe"}), Rows(info));
    EXPECT_EQ(0, api.OpenHandles);

    TFakeProcessApi xp;  // before Vista: no such function, the bare name stays
    xp.Processes = {{300, "game64.exe"}};
    xp.ImagePaths[300] = "C:\\game64.exe";
    xp.MissingFunctions.insert("QueryFullProcessImageNameA");
    TProcessInfo old(xp);
    old.Collect(XpVersion());
    EXPECT_EQ(std::vector<std::string>{"300 game64.exe"}, Rows(old));
}

TEST(ProcessInfoTest, WhatEachWindowsIsAsked)
{
    const struct {
        OsVersionRecord Version;
        size_t Libraries;  // Kernel32, then VDMDBG on NT
        int ModuleSnapshots;
    } rows[] = {
        {Nt4, 0, 0}, {Nt351, 0, 0}, {Win32s, 0, 0}, {Windows98, 1, 0}, {Vista, 2, 1},
    };
    for (const auto& row : rows) {
        TFakeProcessApi api;
        api.Processes = {{7, "a.exe"}};
        api.Modules[7] = {{"a.exe", "C:\\a.exe"}};
        TProcessInfo info(api);
        info.Collect(row.Version);
        EXPECT_EQ(row.Libraries, api.LoadedPaths.size()) << row.Version.Info.dwPlatformId;
        EXPECT_EQ(row.ModuleSnapshots, api.ModuleSnapshots) << row.Version.Info.dwPlatformId;
        EXPECT_EQ(row.Libraries == 0, info.GetProcesses().empty());
    }
}
