#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "fakes/system/FakeSystem.h"
#include "info/system/SystemInfo.h"
#include "support/SectionText.h"

namespace {

const char* const ProductOptions = "SYSTEM\\CurrentControlSet\\Control\\ProductOptions";
const char* const Hotfix = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009";
const DWORD Nt = VER_PLATFORM_WIN32_NT;
const DWORD Nine = VER_PLATFORM_WIN32_WINDOWS;
const BYTE Server = VER_NT_SERVER;
const OsVersionRecord Nt4Sp5 = WindowsVersion(Nt, 4, 0, 1381, "Service Pack 5", false);

// Rows that differ only in what names the product: a workstation by its suite
// (0x100 Professional, 0x300 Home Edition), or build 100 with service pack "SP".
OsVersionRecord Desktop(DWORD major, DWORD minor, DWORD build, WORD suite, const char* servicePack = "")
{
    return WindowsVersion(Nt, major, minor, build, servicePack, true, VER_NT_WORKSTATION, suite);
}
OsVersionRecord ServerSp(DWORD major, DWORD minor, WORD suite, BYTE productType = Server)
{
    return WindowsVersion(Nt, major, minor, 100, "SP", true, productType, suite);
}

// The row the collector gathers and writes for the machine.
std::string OsRow(TFakeSystem& machine, const OsVersionRecord& version)
{
    return SectionText(WrittenSection(WriteOsSection, TSystemInfo(machine, machine, machine).ReadOs(version), version));
}

}  // namespace

TEST(OsSectionTest, WriterRows)
{
    const struct {
        OsVersionRecord Version;
        const char* Row;
        OsRecord Record = {};  // its service pack is the version's
    } rows[] = {
        {Desktop(5, 1, 2600, 0x100, "Service Pack 3"),
         "Microsoft Windows XP Professional Service Pack 3 (Build 2600)\n"},
        {Desktop(6, 0, 6002, 0x300, "Service Pack 2"),
         "Microsoft Windows Vista Home Edition Service Pack 2 (Build 6002)\n"},
        {Desktop(6, 1, 7601, 0x100, "Service Pack 1"),
         "Microsoft Windows 7 Professional Service Pack 1 (Build 7601)\n"},
        {WindowsVersion(Nt, 5, 0, 2195, "Service Pack 4"),
         "Microsoft Windows 2000 Professional Service Pack 4 (Build 2195)\n"},
        // An empty service pack leaves two blanks.
        {Desktop(5, 1, 2600, 0x300), "Microsoft Windows XP Home Edition  (Build 2600)\n"},
        {Desktop(6, 2, 9200, 0x100), "Microsoft Windows 8 Professional  (Build 9200)\n"},
        {Desktop(6, 3, 9600, 0x300), "Microsoft Windows 8.1 Home Edition  (Build 9600)\n"},
        {Desktop(10, 0, 19045, 0x100), "Microsoft Windows 10 Professional  (Build 19045)\n"},
        {Desktop(10, 0, 22000, 0x100), "Microsoft Windows 11 Professional  (Build 22000)\n"},
        {Desktop(10, 0, 26100, 0x300), "Microsoft Windows 11 Home Edition  (Build 26100)\n"},
        // Servers and unknown versions get no product name.
        {WindowsVersion(Nt, 10, 0, 20348, "", true, Server), "Server 4.0  (Build 20348)\n"},
        {WindowsVersion(Nt, 6, 4, 9800, ""), "Professional  (Build 9800)\n"},
        // Server editions by version and suite.
        {WindowsVersion(Nt, 5, 2, 3790, "Service Pack 2", true, Server, 0x2),
         "Microsoft Windows Server&nbsp;2003 family, Enterprise Edition Service Pack 2 (Build 3790)\n"},
        {ServerSp(5, 2, 0x82), "Microsoft Windows Server&nbsp;2003 family, Datacenter Edition SP (Build 100)\n"},
        {ServerSp(5, 2, 0x400), "Microsoft Windows Server&nbsp;2003 family, Web Edition SP (Build 100)\n"},
        {ServerSp(5, 2, 0x410), "Microsoft Windows Server&nbsp;2003 family, Standard Edition SP (Build 100)\n"},
        {ServerSp(5, 2, 0), "Microsoft Windows Server&nbsp;2003 family, Standard Edition SP (Build 100)\n"},
        {ServerSp(5, 0, 0x80), "Microsoft Windows 2000 Datacenter Server SP (Build 100)\n"},
        {ServerSp(5, 0, 0x2), "Microsoft Windows 2000 Advanced Server SP (Build 100)\n"},
        {ServerSp(5, 0, 0), "Microsoft Windows 2000 Server SP (Build 100)\n"},
        {ServerSp(4, 0, 0x2), "Microsoft Windows NT Server 4.0, Enterprise Edition SP (Build 100)\n"},
        {ServerSp(6, 0, 0), "Microsoft Windows Vista Server 4.0 SP (Build 100)\n"},
        {ServerSp(6, 1, 0x2), "Microsoft Windows 7 Server 4.0, Enterprise Edition SP (Build 100)\n"},
        // A domain controller has no edition.
        {ServerSp(5, 2, 0x2, VER_NT_DOMAIN_CONTROLLER), "Microsoft Windows Server&nbsp;2003 family, SP (Build 100)\n"},
        // The basic form: the words lstrcmpiA matched, or the row ends without ProductType.
        {Nt4Sp5, "Microsoft Windows NT Server 4.0 Service Pack 5 (Build 1381)\n",
         {true, {false, true, false}, false, {}}},
        {Nt4Sp5, "Microsoft Windows NT 4.0 Service Pack 5 (Build 1381)\n", {true, {}, false, {}}},
        {Nt4Sp5, "Microsoft Windows NT "},
        {WindowsVersion(Nt, 4, 0, 1381, "Service Pack 6"),
         "Microsoft Windows NT Workstation 4.0 Service Pack 6a (Build 1381)\n", {false, {}, true, {}}},
        // Windows 95, 98 and Me: the service pack's second letter names the release.
        {WindowsVersion(Nine, 4, 0, 950, " C"), "Microsoft Windows 95 OSR2 "},
        {WindowsVersion(Nine, 4, 0, 950, " B"), "Microsoft Windows 95 OSR2 "},
        {WindowsVersion(Nine, 4, 0, 950, " A"), "Microsoft Windows 95 "},
        {WindowsVersion(Nine, 4, 10, 2222, " A "), "Microsoft Windows 98 SE "},
        {WindowsVersion(Nine, 4, 10, 1998, ""), "Microsoft Windows 98 "},
        {WindowsVersion(Nine, 4, 90, 3000, " "), "Microsoft Windows Millennium Edition\n"},
        {WindowsVersion(VER_PLATFORM_WIN32s, 1, 30, 0, ""), "Microsoft Win32s\n"},
        {WindowsVersion(3, 5, 1, 2600, ""), ""},
        // Only the build's low 16 bits.
        {WindowsVersion(Nt, 5, 2, 0x10ECE, "", true, Server),
         "Microsoft Windows Server&nbsp;2003 family, Standard Edition  (Build 3790)\n"},
    };
    for (const auto& row : rows) {
        OsRecord record = row.Record;
        record.ServicePack = row.Version.Info.szCSDVersion;
        EXPECT_EQ(row.Row, SectionText(WrittenSection(WriteOsSection, record, row.Version)));
    }
}

// Each piece of the row is an element of its own, as pass 2 shows them.
TEST(OsSectionTest, EachPieceOfTheRowIsAnElement)
{
    const struct {
        OsVersionRecord Version;
        size_t Elements;
    } rows[] = {
        {Desktop(5, 1, 2600, 0x100, "Service Pack 3"), 3},  // product, edition, build
        {WindowsVersion(Nine, 4, 0, 950, " C"), 2},          // 95, OSR2
        {WindowsVersion(Nine, 4, 10, 2222, " A"), 2},        // 98, SE
        {WindowsVersion(Nine, 4, 90, 3000, " "), 1},
        {WindowsVersion(VER_PLATFORM_WIN32s, 1, 30, 0, ""), 1},
    };
    for (const auto& row : rows) {
        OsRecord record;
        record.ServicePack = row.Version.Info.szCSDVersion;
        const TSection section = WrittenSection(WriteOsSection, record, row.Version);
        EXPECT_EQ(row.Elements, section.Lines().size()) << SectionText(section);
    }
}

TEST(OsSectionTest, NtFourServicePackSixIsSixAWithTheHotfixKey)
{
    const struct {
        OsVersionRecord Version;
        bool Key;
        size_t Opened;  // keys opened, each closed again
        const char* Row;
    } rows[] = {
        {WindowsVersion(Nt, 4, 0, 1381, "Service Pack 6"), false, 0,
         "Microsoft Windows NT Workstation 4.0 Service Pack 6 (Build 1381)\n"},
        {WindowsVersion(Nt, 4, 0, 1381, "Service Pack 6"), true, 1,
         "Microsoft Windows NT Workstation 4.0 Service Pack 6a (Build 1381)\n"},
        {WindowsVersion(Nt, 4, 0, 1381, "service pack 6"), true, 1,
         "Microsoft Windows NT Workstation 4.0 Service Pack 6a (Build 1381)\n"},
        {WindowsVersion(Nt, 4, 0, 1381, "Service Pack 6a"), true, 0,
         "Microsoft Windows NT Workstation 4.0 Service Pack 6a (Build 1381)\n"},
        {WindowsVersion(Nt, 5, 0, 2195, "Service Pack 6"), true, 0,
         "Microsoft Windows 2000 Professional Service Pack 6 (Build 2195)\n"},
    };
    for (const auto& row : rows) {
        TFakeSystem machine;
        if (row.Key) machine.Keys[Hotfix];
        EXPECT_EQ(row.Row, OsRow(machine, row.Version));
        EXPECT_EQ(row.Opened, machine.Open.size()) << row.Row;
        EXPECT_EQ(static_cast<int>(row.Opened), machine.Closes);
    }
}

TEST(OsSectionTest, BasicFormReadsTheProductType)
{
    const struct {
        std::optional<std::string> Value;  // the bytes stored; none: the key has no such value
        const char* Row;
    } rows[] = {
        {std::string("WINNT", 6), "Microsoft Windows NT Workstation 4.0 Service Pack 5 (Build 1381)\n"},
        {std::string("LanmanNT", 9), "Microsoft Windows NT Server 4.0 Service Pack 5 (Build 1381)\n"},
        {std::string("SERVERNT", 9), "Microsoft Windows NT Advanced Server 4.0 Service Pack 5 (Build 1381)\n"},
        {std::string("Other", 6), "Microsoft Windows NT 4.0 Service Pack 5 (Build 1381)\n"},
        {std::string("LANMANNT"), "Microsoft Windows NT Server 4.0 Service Pack 5 (Build 1381)\n"},  // no terminator
        {std::string(80, 'W') + '\0', "Microsoft Windows NT "},  // 81 bytes: more than the buffer
        {std::string(80, 'W'), "Microsoft Windows NT 4.0 Service Pack 5 (Build 1381)\n"},
        {std::nullopt, "Microsoft Windows NT "},
    };
    for (const auto& row : rows) {
        TFakeSystem machine;
        machine.Keys[ProductOptions];
        if (row.Value) machine.Keys[ProductOptions]["ProductType"] = {REG_SZ, *row.Value};
        EXPECT_EQ(row.Row, OsRow(machine, Nt4Sp5));
        EXPECT_EQ(1, machine.Closes) << row.Row;
    }
    TFakeSystem noKey;
    EXPECT_EQ("Microsoft Windows NT ", OsRow(noKey, Nt4Sp5));
}

TEST(OsSectionTest, NinetyEightRowIsContinuedByTheComputerName)
{
    TFakeSystem machine;
    TSystemInfo info(machine, machine, machine);
    info.Collect(WindowsVersion(Nine, 4, 10, 1998, ""));
    EXPECT_NE(std::string::npos, SectionText(info).find("\n\nMicrosoft Windows 98 Computer name:  PLAYER-PC\n"));
}
