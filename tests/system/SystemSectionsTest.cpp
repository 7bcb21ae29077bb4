#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <initializer_list>
#include <string>

#include "fakes/system/FakeSystem.h"
#include "info/system/SystemInfo.h"
#include "support/SectionText.h"

namespace {

const char* const ProcessorKey = "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";

using Elements = std::deque<std::string>;

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

// One section as the collector gathers and writes it.
TSection Hardware(TFakeSystem& machine)
{
    return WrittenSection(WriteHardwareSection, TSystemInfo(machine, machine, machine).ReadHardware());
}
TSection Memory(TFakeSystem& machine)
{
    return WrittenSection(WriteMemorySection, TSystemInfo(machine, machine, machine).ReadMemory());
}
TSection Names(TFakeSystem& machine)
{
    return WrittenSection(WriteNamesSection, TSystemInfo(machine, machine, machine).ReadNames());
}

}  // namespace

TEST(HardwareSectionTest, EveryElementInOrder)
{
    TFakeSystem machine = Machine();
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
    EXPECT_EQ(expected, Hardware(machine).Lines());
    EXPECT_EQ(1, machine.Closes) << "the processor key is closed";
}

TEST(HardwareSectionTest, MachineRows)
{
    const struct {
        const char* Name;
        void (*Change)(TFakeSystem&);
        std::initializer_list<const char*> Labels;
        const char* Lines;
    } rows[] = {
        // 0x206A7 is a Sandy Bridge (extended model 2): named by its brand string,
        // the signature in lower case without leading zeros.
        {"current processor",
         [](TFakeSystem& m) {
             m.Leaves[1][0] = 0x206A7;
             m.SetBrand("Intel(R) Core(TM) i5-2500 CPU @ 3.30GHz");
         },
         {"  CPUID:", "  Model:", "  Stepping:"},
         "  CPUID: 206a7\n  Model: Intel(R) Core(TM) i5-2500 CPU @ 3.30GHz\n  Model: 10\n  Stepping: 7\n"},
        {"no logical processor count", [](TFakeSystem& m) { m.Leaves[1][1] = 0; }, {"   Hyper"},
         "   HyperThreading Support. ( Disable )\n"},
        {"one logical processor", [](TFakeSystem& m) { m.Leaves[1][1] = 1 << 16; }, {"   Hyper"},
         "   HyperThreading Support. ( Disable )\n"},
        {"every feature",
         [](TFakeSystem& m) {
             m.Leaves[1][3] = 0x800000 | 0x2000000 | 0x4000000 | 0x10000000 | 0x40000000;
             m.Leaves[0x80000000u] = {0x80000001u, 0, 0, 0};
             m.Leaves[0x80000001u] = {0, 0, 0, 0x80000000u};
         },
         {"   "},
         "   feature: 00000317\n   MMX Support.\n   SSE Support.\n   SSE2 Support.\n   3DNOW Support.\n"
         "   HyperThreading Support. ( Enable )\n   IA64 Support.\n"},
        {"no CPUID", [](TFakeSystem& m) { m.Cpuid_ = false; }, {"  CPUID", "  Vendor", "  Model", "   "},
         "  CPUID: 0\n  Vendor name: \n  Model: \n  Model: 0\n   feature: 00000000\n"},
        {"no processor key", [](TFakeSystem& m) { m.Keys.clear(); }, {"ProcessorName:", "ID:", "Clock:"}, ""},
        {"values of other types, or unterminated",
         [](TFakeSystem& m) {
             m.SetString(ProcessorKey, "~MHz", "2394");
             m.Keys[ProcessorKey]["Identifier"] = {REG_SZ, "x86 Family 6"};
             m.Keys[ProcessorKey]["ProcessorNameString"] = {REG_EXPAND_SZ, std::string("Name\0", 5)};
         },
         {"ProcessorName:", "ID:", "Clock:"}, "ID: x86 Family 6\n"},
        {"a clock of fewer than 4 bytes",
         [](TFakeSystem& m) { m.Keys[ProcessorKey]["~MHz"] = {REG_DWORD, std::string("\x5a\x09", 2)}; }, {"Clock:"},
         ""},
    };
    for (const auto& row : rows) {
        TFakeSystem machine = Machine();
        row.Change(machine);
        EXPECT_EQ(row.Lines, SectionText(Hardware(machine), row.Labels)) << row.Name;
        EXPECT_EQ(machine.Open.size(), static_cast<size_t>(machine.Closes)) << row.Name;
    }
}

// A 64-bit build's addresses keep their upper digits.
TEST(HardwareSectionTest, AddressesAboveFourGigabytesKeepEveryDigit)
{
    if (sizeof(void*) < 8) GTEST_SKIP() << "a 32-bit build has no such address";
    HardwareRecord record;
    record.System.lpMaximumApplicationAddress = reinterpret_cast<LPVOID>(static_cast<uintptr_t>(0x7FFFFFFEFFFFull));
    EXPECT_EQ("  Maximum application address: 7FFFFFFEFFFF\n",
              SectionText(WrittenSection(WriteHardwareSection, record), {"  Maximum"}));
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
    EXPECT_EQ(expected, Memory(machine).Lines());
    EXPECT_EQ(64u, machine.ExMemoryLength);
    for (size_t i = 1; i < 7; ++i) EXPECT_EQ(' ', expected[i][18]) << "every label is 19 bytes";
}

TEST(MemorySectionTest, BasicCountsWithoutTheExtendedCall)
{
    TFakeSystem machine;
    machine.MissingFunctions.insert("GlobalMemoryStatusEx");
    machine.Memory.dwTotalPhys = 0xFFFFFFFF;
    machine.Memory.dwAvailPhys = 536870912;
    const TSection section = Memory(machine);
    EXPECT_EQ(8u, section.Lines().size());
    EXPECT_EQ("物理メモリ合計       4294967295\n物理メモリ空き        536870912\n仮想メモリ空き                0\n",
              SectionText(section, {"物理", "仮想メモリ空き"}));
    // The 32-bit program's record; a 64-bit test build's SIZE_T fields are wider.
    EXPECT_EQ(sizeof(void*) == 4 ? 32u : 56u, machine.BasicMemoryLength);
}

TEST(NamesSectionTest, NineElementsWhenEverythingSucceeds)
{
    TFakeSystem machine;
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
    EXPECT_EQ(expected, Names(machine).Lines());
}

TEST(NamesSectionTest, FailuresAndOversizeValuesLeaveOnlyTheirLines)
{
    TFakeSystem machine;
    machine.Environment.erase("OS");
    machine.Environment["PATH"] = std::string(1018, 'p');  // "PATH=" and 1018 bytes: 1024 with the NUL
    EXPECT_EQ("  OS=%OS%\n  PATH=" + std::string(1018, 'p') + "\n  TEMP=C:\\Temp\n",
              SectionText(Names(machine), {"  "}))
        << "1024 with the NUL still fits";

    machine.Environment["PATH"] = std::string(1019, 'p');
    machine.SystemDirectory = std::string(300, 'd');
    machine.UserName = std::string(1100, 'u');
    const Elements expected = {
        "Computer name:  PLAYER-PC\n", "Windows directory:  C:\\WINDOWS \n",
        "Environment variables (partial list): \n", "  OS=%OS%\n", "  TEMP=C:\\Temp\n", "\n",
    };
    EXPECT_EQ(expected, Names(machine).Lines());

    machine.NamesFail = true;
    EXPECT_EQ("Environment variables (partial list): \n", Names(machine).Lines().front());
}

TEST(SystemInfoTest, RealPlatformWritesTheFourSectionsInOrder)
{
    TSystemInfo info;
    info.Collect(ReadOsVersion());
    const std::string report = SectionText(info);
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
