#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "e2e/Envcheck.h"
#include "e2e/WineVersion.h"
#include "info/Registry.h"

namespace {

// Kept for the reader's round trip when a folder is named for them.
void KeepForReader(const std::string& name, const std::string& report)
{
    const char* folder = std::getenv("ENVCHECK_REPORT_DIR");
    if (folder == nullptr || *folder == '\0') return;
    const std::string path = WindowsPath(folder) + "\\" + name;
    std::ofstream file(path, std::ios::binary);
    file << report;
    EXPECT_TRUE(file.good()) << path;
}

// The row between the memory section and the computer name.
std::string OsRow(const std::string& report)
{
    const auto memory = report.find("Memory information: \n");
    const auto start = report.find("\n\n", memory);
    const auto end = report.find("Computer name:", start);
    if (memory == std::string::npos || start == std::string::npos || end == std::string::npos) return "?";
    return report.substr(start + 2, end - start - 2);
}

}  // namespace

// Every collector's section, in report order, and each family's own branch.
void ExpectComplete(const std::string& report, const std::string& wine)
{
    const char* const sections[] = {"Memory information: \n", "Graphic Adapter information:\n",
                                    "DxDialog DirectX File Infomation:\n", "Process Enum:\n",
                                    "Service Infomation:\n", "Network Infomation:\n", "Drive information: \n",
                                    "Current system information:\n"};
    size_t at = 0;
    for (const char* section : sections) {
        at = report.find(section, at);
        EXPECT_NE(std::string::npos, at) << wine << ": " << section << " missing or out of order";
        if (at == std::string::npos) return;
    }
    const bool nt4 = wine == "nt40";
    const bool win9x = wine == "win98";
    EXPECT_EQ(nt4, report.find("Process Enum:\nWindows NT 4.0は未対応です。\n\n") != std::string::npos) << wine;
    EXPECT_EQ(!nt4, report.find("Process Enum:\n+-") != std::string::npos) << wine << ": process table";
    EXPECT_EQ(win9x, report.find("Service Infomation:\nNT系OSではないので処理をスキップします。\nNetwork Infomation:\n") !=
                         std::string::npos)
        << wine;
    EXPECT_EQ(!win9x, report.find("Service Infomation:\n+-") != std::string::npos) << wine << ": service table";
    EXPECT_NE(std::string::npos, report.find("\nDrive : C:\\\n")) << wine;
}

TEST(VersionMatrixTest, WholeReportAndOperatingSystemRowForEachWindows)
{
    const struct {
        const char* Wine;
        const char* Row;
        const char* Windows;  // the closing section's true version
    } versions[] = {
        // 98's row has no line end: the computer name continues it.
        {"win98", "Microsoft Windows 98 SE ", "Windows 98"},
        {"nt40", "Microsoft Windows NT Workstation 4.0 Service Pack 6a (Build 1381)\n", "Windows NT 4.0"},
        {"win2k", "Microsoft Windows 2000 Professional Service Pack 4 (Build 2195)\n", "Windows 2000"},
        {"winxp", "Microsoft Windows XP Professional Service Pack 3 (Build 2600)\n", "Windows XP"},
        {"vista", "Microsoft Windows Vista Professional Service Pack 2 (Build 6002)\n", "Windows Vista"},
        // Wine answers "win7" from its entry for 6.1 build 7601 that it finds first,
        // which may be the server of the same version; either edition is right for it.
        {"win7", "Microsoft Windows 7 ", nullptr},
        {"win8", "Microsoft Windows 8 Professional  (Build 9200)\n", "Windows 8"},
        {"win81", "Microsoft Windows 8.1 Professional  (Build 9600)\n", "Windows 8.1"},
        {"win10", "Microsoft Windows 10 Professional  (Build ", "Windows 10"},
    };
    TVersionsCopy copy;
    ASSERT_TRUE(copy.Copied) << copy.Path << ": error " << GetLastError();
    for (const auto& version : versions) {
        TWineVersion wine(version.Wine);
        const std::string report = HeadlessReport("matrix.txt", copy.Path);
        ASSERT_FALSE(report.empty()) << version.Wine << ": no report";
        KeepForReader(std::string("matrix-") + version.Wine + ".txt", report);
        const std::string row = OsRow(report);
        EXPECT_EQ(0u, row.find(version.Row)) << version.Wine << ": " << row;
        if (std::string(version.Wine) == "win7") {
            EXPECT_NE(std::string::npos, row.find(" Service Pack 1 (Build 7601)\n")) << row;
        }
        ExpectComplete(report, version.Wine);
        const std::string closing = "\nCurrent system information:\n Windows: ";
        const size_t at = report.find(closing);
        const std::string windows = report.substr(at, report.find('\n', at + closing.size()) - at);
        if (version.Windows != nullptr) {
            EXPECT_EQ(closing + version.Windows, windows) << version.Wine;
        } else {
            EXPECT_TRUE(windows == closing + "Windows 7" || windows == closing + "Windows Server 2008 R2") << windows;
        }
    }
}

TEST(VersionMatrixTest, ProcessorLinesAgreeWithTheRegistry)
{
    TRegistry processor;
    if (!processor.OpenKey(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0"))
        GTEST_SKIP() << "no processor key";
    const std::string report = HeadlessReport("matrix.txt");
    if (processor.ReadValue("ProcessorNameString")) {
        EXPECT_NE(std::string::npos, report.find("\nProcessorName: " + processor.DataText() + "\n")) << report;
    }
    if (processor.ReadValue("Identifier")) {
        EXPECT_NE(std::string::npos, report.find("\nID: " + processor.DataText() + "\n"));
    }
    processor.CloseKey();
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    EXPECT_NE(std::string::npos,
              report.find("  Number of processors: " + std::to_string(info.dwNumberOfProcessors) + "\n"));
}
