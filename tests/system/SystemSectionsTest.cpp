#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "fakes/system/FakeSystem.h"
#include "info/system/SystemInfo.h"

namespace {

const char* const ProcessorKey = "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";

using Elements = std::vector<std::string>;

Elements LinesOf(const TSystemInfo& info) { return Elements(info.GetLines().begin(), info.GetLines().end()); }

// A Pentium III machine of Windows 2000's day.
TFakeSystem Machine()
{
    TFakeSystem machine;
    machine.SetVendor("GenuineIntel");
    machine.Leaves[1] = {0x686, 0x00020000, 0, 0x800000 | 0x2000000 | 0x4000000 | 0x10000000};
    machine.SetString(ProcessorKey, "ProcessorNameString", "   Intel(R) Pentium(R) III Mobile CPU");
    machine.SetString(ProcessorKey, "Identifier", "x86 Family 6 Model 10 Stepping 7");
    machine.SetDword(ProcessorKey, "~MHz", 2394);
    machine.Info.dwOemId = 0;
    machine.Info.dwNumberOfProcessors = 2;
    machine.Info.dwProcessorType = 586;
    machine.Info.dwPageSize = 4096;
    machine.Info.lpMinimumApplicationAddress = reinterpret_cast<LPVOID>(0x10000);
    machine.Info.lpMaximumApplicationAddress = reinterpret_cast<LPVOID>(0x7FFEFFFF);
    machine.Info.dwActiveProcessorMask = 3;
    return machine;
}

}  // namespace

TEST(HardwareSectionTest, EveryElementInOrder)
{
    TFakeSystem machine = Machine();
    TSystemInfo info(machine, machine, machine);
    info.AddHardwareSection();
    const Elements expected = {
        "Hardware information: \n",
        "ProcessorName:    Intel(R) Pentium(R) III Mobile CPU\n",
        "ID: x86 Family 6 Model 10 Stepping 7\n",
        "Clock: 2394 MHz\n",
        "  OEM ID: 0\n",
        "  Number of processors: 2\n",
        "  Processor type: 586\n",
        "  CPUID: 686\n",
        "  Vendor name: GenuineIntel\n",
        "  Model: INTEL Pentium-III (Coppermine)\n",
        "  Family: 6\n",
        "  Extended Family: 0\n",
        "  Model: 8\n",
        "  Stepping: 6\n",
        "   feature: 00000107\n",
        "   MMX Support.\n",
        "   SSE Support.\n",
        "   SSE2 Support.\n",
        "   HyperThreading Support. ( Enable )\n",
        "  Page size: 4096\n",
        "  Minimum application address: 00010000\n",
        "  Maximum application address: 7FFEFFFF\n",
        "  Active processor mask: 3\n",
        "\n",
    };
    EXPECT_EQ(expected, LinesOf(info));
    EXPECT_EQ(1, machine.Closes) << "the processor key is closed";
}

// A 64-bit build's addresses keep their upper digits.
TEST(HardwareSectionTest, AddressesAboveFourGigabytesKeepEveryDigit)
{
    if (sizeof(void*) < 8) GTEST_SKIP() << "a 32-bit build has no such address";
    TFakeSystem machine = Machine();
    machine.Info.lpMaximumApplicationAddress = reinterpret_cast<LPVOID>(static_cast<uintptr_t>(0x7FFFFFFEFFFFull));
    TSystemInfo info(machine, machine, machine);
    info.AddHardwareSection();
    const Elements lines = LinesOf(info);
    EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), "  Maximum application address: 7FFFFFFEFFFF\n"));
}

TEST(HardwareSectionTest, CurrentProcessorLines)
{
    // 0x206A7 is a Sandy Bridge (extended model 2): named by its brand string,
    // the signature in lower case without leading zeros.
    TFakeSystem machine = Machine();
    machine.Leaves[1][0] = 0x206A7;
    machine.SetBrand("Intel(R) Core(TM) i5-2500 CPU @ 3.30GHz");
    TSystemInfo info(machine, machine, machine);
    info.AddHardwareSection();
    const Elements lines = LinesOf(info);
    EXPECT_EQ("  CPUID: 206a7\n", lines[7]);
    EXPECT_EQ("  Model: Intel(R) Core(TM) i5-2500 CPU @ 3.30GHz\n", lines[9]);
    EXPECT_EQ("  Model: 10\n", lines[12]);
    EXPECT_EQ("  Stepping: 7\n", lines[13]);
}

TEST(HardwareSectionTest, OneLogicalProcessorDisablesHyperThreading)
{
    for (unsigned count : {0u, 1u}) {
        TFakeSystem machine = Machine();
        machine.Leaves[1][1] = count << 16;
        TSystemInfo info(machine, machine, machine);
        info.AddHardwareSection();
        EXPECT_EQ("   HyperThreading Support. ( Disable )\n", LinesOf(info)[18]) << count;
    }
}

TEST(HardwareSectionTest, AllFeatureLinesInTheirOrder)
{
    TFakeSystem machine = Machine();
    machine.Leaves[1][3] = 0x800000 | 0x2000000 | 0x4000000 | 0x10000000 | 0x40000000;
    machine.Leaves[0x80000000u] = {0x80000001u, 0, 0, 0};
    machine.Leaves[0x80000001u] = {0, 0, 0, 0x80000000u};
    TSystemInfo info(machine, machine, machine);
    info.AddHardwareSection();
    const Elements lines = LinesOf(info);
    EXPECT_EQ("   feature: 00000317\n", lines[14]);
    EXPECT_EQ((Elements{"   MMX Support.\n", "   SSE Support.\n", "   SSE2 Support.\n", "   3DNOW Support.\n",
                        "   HyperThreading Support. ( Enable )\n", "   IA64 Support.\n"}),
              Elements(lines.begin() + 15, lines.begin() + 21));
}

TEST(HardwareSectionTest, RegistryLinesNeedTheirValuesAndTypes)
{
    TFakeSystem missing = Machine();
    missing.Keys.clear();
    TSystemInfo noKey(missing, missing, missing);
    noKey.AddHardwareSection();
    EXPECT_EQ("  OEM ID: 0\n", LinesOf(noKey)[1]) << "no processor key: the three lines are left out";
    EXPECT_EQ(0, missing.Closes);

    TFakeSystem odd = Machine();
    odd.SetString(ProcessorKey, "~MHz", "2394");                        // a string, not a number
    odd.Keys[ProcessorKey]["Identifier"] = {REG_SZ, "x86 Family 6"};  // no terminator
    odd.Keys[ProcessorKey]["ProcessorNameString"] = {REG_EXPAND_SZ, std::string("Name\0", 5)};
    TSystemInfo oddValues(odd, odd, odd);
    oddValues.AddHardwareSection();
    EXPECT_EQ("ID: x86 Family 6\n", LinesOf(oddValues)[1]);
    EXPECT_EQ("  OEM ID: 0\n", LinesOf(oddValues)[2]);

    TFakeSystem shortClock = Machine();
    shortClock.Keys[ProcessorKey]["~MHz"] = {REG_DWORD, std::string("\x5a\x09", 2)};
    TSystemInfo shortValue(shortClock, shortClock, shortClock);
    shortValue.AddHardwareSection();
    EXPECT_EQ("  OEM ID: 0\n", LinesOf(shortValue)[3]) << "fewer than 4 bytes: no clock line";
}

TEST(HardwareSectionTest, WithoutCpuidTheIdentificationIsEmpty)
{
    TFakeSystem machine = Machine();
    machine.Cpuid_ = false;
    TSystemInfo info(machine, machine, machine);
    info.AddHardwareSection();
    const Elements lines = LinesOf(info);
    EXPECT_EQ("  CPUID: 0\n", lines[7]);
    EXPECT_EQ("  Vendor name: \n", lines[8]);
    EXPECT_EQ("  Model: \n", lines[9]);
    EXPECT_EQ("   feature: 00000000\n", lines[14]);
    EXPECT_EQ("  Page size: 4096\n", lines[15]);
}

TEST(MemorySectionTest, ExtendedCountsInTwelveWideFields)
{
    TFakeSystem machine;
    machine.MemoryEx.ullTotalPhys = 8589934592ULL;
    machine.MemoryEx.ullAvailPhys = 1234567890123ULL;
    machine.MemoryEx.ullTotalPageFile = 3;
    machine.MemoryEx.ullAvailPageFile = 0;
    machine.MemoryEx.ullTotalVirtual = 2147352576ULL;
    machine.MemoryEx.ullAvailVirtual = 0xFFFFFFFFFFFFFFFFULL;
    TSystemInfo info(machine, machine, machine);
    info.AddMemorySection();
    const Elements expected = {
        "Memory information: \n",
        "物理メモリ合計       8589934592\n",
        "物理メモリ空き     1234567890123\n",
        "ページファイル合計            3\n",
        "ページファイル空き            0\n",
        "仮想メモリ合計       2147352576\n",
        "仮想メモリ空き     18446744073709551615\n",
        "\n",
    };
    EXPECT_EQ(expected, LinesOf(info));
    EXPECT_EQ(64u, machine.ExMemoryLength);
    for (size_t i = 1; i < 7; ++i) EXPECT_EQ(' ', expected[i][18]) << "every label is 19 bytes";
}

TEST(MemorySectionTest, BasicCountsWithoutTheExtendedCall)
{
    TFakeSystem machine;
    machine.MissingFunctions.insert("GlobalMemoryStatusEx");
    machine.Memory.dwTotalPhys = 0xFFFFFFFF;
    machine.Memory.dwAvailPhys = 536870912;
    TSystemInfo info(machine, machine, machine);
    info.AddMemorySection();
    const Elements lines = LinesOf(info);
    ASSERT_EQ(8u, lines.size());
    EXPECT_EQ("物理メモリ合計       4294967295\n", lines[1]);
    EXPECT_EQ("物理メモリ空き        536870912\n", lines[2]);
    EXPECT_EQ("仮想メモリ空き                0\n", lines[6]);
    // The 32-bit program's record; a 64-bit test build's SIZE_T fields are wider.
    EXPECT_EQ(sizeof(void*) == 4 ? 32u : 56u, machine.BasicMemoryLength);
}

TEST(NamesSectionTest, NineElementsWhenEverythingSucceeds)
{
    TFakeSystem machine;
    TSystemInfo info(machine, machine, machine);
    info.AddNamesSection();
    const Elements expected = {
        "Computer name:  PLAYER-PC\n",
        "User name:  taro\n",
        "System directory:  C:\\WINDOWS\\system32 \n",
        "Windows directory:  C:\\WINDOWS \n",
        "Environment variables (partial list): \n",
        "  OS=Windows_NT\n",
        "  PATH=C:\\\n",
        "  TEMP=C:\\Temp\n",
        "\n",
    };
    EXPECT_EQ(expected, LinesOf(info));
}

TEST(NamesSectionTest, FailuresAndOversizeValuesLeaveOnlyTheirLines)
{
    TFakeSystem machine;
    machine.Environment.erase("OS");
    machine.Environment["PATH"] = std::string(1018, 'p');  // "PATH=" and 1018 bytes: 1024 with the NUL
    TSystemInfo info(machine, machine, machine);
    info.AddNamesSection();
    EXPECT_EQ("  OS=%OS%\n", LinesOf(info)[5]);
    EXPECT_EQ("  PATH=" + std::string(1018, 'p') + "\n", LinesOf(info)[6]) << "1024 with the NUL still fits";

    machine.Environment["PATH"] = std::string(1019, 'p');
    machine.SystemDirectory = std::string(300, 'd');
    machine.UserName = std::string(1100, 'u');
    TSystemInfo longer(machine, machine, machine);
    longer.AddNamesSection();
    const Elements expected = {
        "Computer name:  PLAYER-PC\n", "Windows directory:  C:\\WINDOWS \n",
        "Environment variables (partial list): \n", "  OS=%OS%\n", "  TEMP=C:\\Temp\n", "\n",
    };
    EXPECT_EQ(expected, LinesOf(longer));

    machine.NamesFail = true;
    TSystemInfo failing(machine, machine, machine);
    failing.AddNamesSection();
    EXPECT_EQ("Environment variables (partial list): \n", LinesOf(failing)[0]);
}

TEST(SystemInfoTest, RealPlatformWritesTheFourSectionsInOrder)
{
    TSystemInfo info;
    info.Collect();
    std::string report;
    for (const std::string& element : info.GetLines()) report += element;
    const auto hardware = report.find("Hardware information: \n");
    const auto memory = report.find("\nMemory information: \n");
    const auto names = report.find("\nComputer name:  ");
    const auto environment = report.find("Environment variables (partial list): \n  OS=");
    EXPECT_EQ(0u, hardware);
    EXPECT_NE(std::string::npos, memory);
    EXPECT_NE(std::string::npos, report.find("Microsoft Windows "));
    EXPECT_LT(memory, names);
    EXPECT_LT(names, environment);
    EXPECT_EQ("\n\n", report.substr(report.size() - 2));
}
