#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fakes/system/FakeSystem.h"
#include "info/OsVersion.h"
#include "info/system/SystemInfo.h"

namespace {

const char* const ProductOptions = "SYSTEM\\CurrentControlSet\\Control\\ProductOptions";
const char* const Hotfix = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009";

class OsSectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Saved = OsVersion;
        SavedIsEx = OsVersionIsEx;
        SavedLoaded = OsVersionLoaded;
        OsVersionLoaded = true;  // no collector construction may read the real version over the test's
    }
    void TearDown() override
    {
        OsVersion = Saved;
        OsVersionIsEx = SavedIsEx;
        OsVersionLoaded = SavedLoaded;
    }

    void Version(DWORD platform, DWORD major, DWORD minor, DWORD build, const char* servicePack, BYTE productType = 1,
                 WORD suite = 0, bool extended = true)
    {
        std::memset(&OsVersion, 0, sizeof(OsVersion));
        OsVersion.dwOSVersionInfoSize = extended ? sizeof(OSVERSIONINFOEXA) : sizeof(OSVERSIONINFOA);
        OsVersion.dwPlatformId = platform;
        OsVersion.dwMajorVersion = major;
        OsVersion.dwMinorVersion = minor;
        OsVersion.dwBuildNumber = build;
        std::strcpy(OsVersion.szCSDVersion, servicePack);
        OsVersion.wProductType = extended ? productType : 0;
        OsVersion.wSuiteMask = extended ? suite : 0;
        OsVersionIsEx = extended;
    }

    // The section's elements joined, as the report shows them.
    std::string Row()
    {
        TSystemInfo info(Machine, Machine, Machine);
        info.AddOsSection();
        std::string row;
        for (const std::string& element : info.GetLines()) row += element;
        Pieces = info.GetLines().size();
        return row;
    }

    TFakeSystem Machine;
    size_t Pieces = 0;
    OSVERSIONINFOEXA Saved;
    bool SavedIsEx;
    bool SavedLoaded;
};

}  // namespace

TEST_F(OsSectionTest, ExtendedRecordRows)
{
    Version(2, 5, 1, 2600, "Service Pack 3", 1, 0x100);
    EXPECT_EQ("Microsoft Windows XP Professional Service Pack 3 (Build 2600)\n", Row());
    EXPECT_EQ(3u, Pieces);
    Version(2, 6, 0, 6002, "Service Pack 2", 1, 0x300);
    EXPECT_EQ("Microsoft Windows Vista Home Edition Service Pack 2 (Build 6002)\n", Row());
    Version(2, 6, 1, 7601, "Service Pack 1", 1, 0x100);
    EXPECT_EQ("Microsoft Windows 7 Professional Service Pack 1 (Build 7601)\n", Row());
    Version(2, 5, 2, 3790, "Service Pack 2", 3, 0x2);
    EXPECT_EQ("Microsoft Windows Server&nbsp;2003 family, Enterprise Edition Service Pack 2 (Build 3790)\n", Row());
    Version(2, 5, 0, 2195, "Service Pack 4", 1, 0);
    EXPECT_EQ("Microsoft Windows 2000 Professional Service Pack 4 (Build 2195)\n", Row());
    Version(2, 5, 1, 2600, "", 1, 0x300);
    EXPECT_EQ("Microsoft Windows XP Home Edition  (Build 2600)\n", Row()) << "empty service pack: two blanks";
}

TEST_F(OsSectionTest, ServerEditions)
{
    const struct {
        DWORD Major, Minor;
        BYTE Type;
        WORD Suite;
        const char* Edition;
    } cases[] = {
        {5, 2, 3, 0x82, "Datacenter Edition "}, {5, 2, 3, 0x400, "Web Edition "},
        {5, 2, 3, 0x410, "Standard Edition "},  {5, 2, 3, 0, "Standard Edition "},
        {5, 0, 3, 0x80, "Datacenter Server "},  {5, 0, 3, 0x2, "Advanced Server "},
        {5, 0, 3, 0, "Server "},                {4, 0, 3, 0x2, "Server 4.0, Enterprise Edition "},
        {6, 0, 3, 0, "Server 4.0 "},            {6, 1, 3, 0x2, "Server 4.0, Enterprise Edition "},
        {5, 2, 2, 0x2, ""},
    };
    for (const auto& c : cases) {
        Version(2, c.Major, c.Minor, 100, "SP", c.Type, c.Suite);
        const std::string row = Row();
        const std::string tail = std::string(c.Edition) + "SP (Build 100)\n";
        ASSERT_GE(row.size(), tail.size()) << row;
        EXPECT_EQ(tail, row.substr(row.size() - tail.size())) << row;
    }
    Version(2, 5, 2, 3790, "", 2, 0);
    EXPECT_EQ("Microsoft Windows Server&nbsp;2003 family,  (Build 3790)\n", Row()) << "domain controller";
}

TEST_F(OsSectionTest, CurrentWindowsIsNamed)
{
    Version(2, 6, 2, 9200, "", 1, 0x100);
    EXPECT_EQ("Microsoft Windows 8 Professional  (Build 9200)\n", Row());
    Version(2, 6, 3, 9600, "", 1, 0x300);
    EXPECT_EQ("Microsoft Windows 8.1 Home Edition  (Build 9600)\n", Row());
    Version(2, 10, 0, 19045, "", 1, 0x100);
    EXPECT_EQ("Microsoft Windows 10 Professional  (Build 19045)\n", Row());
    Version(2, 10, 0, 22000, "", 1, 0x100);
    EXPECT_EQ("Microsoft Windows 11 Professional  (Build 22000)\n", Row());
    Version(2, 10, 0, 26100, "", 1, 0x300);
    EXPECT_EQ("Microsoft Windows 11 Home Edition  (Build 26100)\n", Row());
    // Servers and unknown versions get no product name, as before.
    Version(2, 10, 0, 20348, "", 3, 0);
    EXPECT_EQ("Server 4.0  (Build 20348)\n", Row());
    Version(2, 6, 4, 9800, "", 1, 0);
    EXPECT_EQ("Professional  (Build 9800)\n", Row());
}

TEST_F(OsSectionTest, NtFourServicePackSix)
{
    Version(2, 4, 0, 1381, "Service Pack 6", 1, 0);
    EXPECT_EQ("Microsoft Windows NT Workstation 4.0 Service Pack 6 (Build 1381)\n", Row()) << "no hotfix key";
    Machine.Keys[Hotfix];
    EXPECT_EQ("Microsoft Windows NT Workstation 4.0 Service Pack 6a (Build 1381)\n", Row());
    EXPECT_EQ(1, Machine.Closes);
    Version(2, 4, 0, 1381, "service pack 6", 1, 0);
    EXPECT_EQ("Microsoft Windows NT Workstation 4.0 Service Pack 6a (Build 1381)\n", Row()) << "any letter case";
    Version(2, 4, 0, 1381, "Service Pack 6a", 1, 0);
    EXPECT_EQ("Microsoft Windows NT Workstation 4.0 Service Pack 6a (Build 1381)\n", Row()) << "its own text";
    Version(2, 5, 0, 2195, "Service Pack 6", 1, 0);
    EXPECT_EQ("Microsoft Windows 2000 Professional Service Pack 6 (Build 2195)\n", Row()) << "only on 4.x";
}

TEST_F(OsSectionTest, BasicRecordReadsTheProductType)
{
    const struct {
        const char* Type;
        const char* Edition;
    } cases[] = {{"WINNT", "Workstation "}, {"LanmanNT", "Server "}, {"SERVERNT", "Advanced Server "}, {"Other", ""}};
    for (const auto& c : cases) {
        Version(2, 4, 0, 1381, "Service Pack 5", 0, 0, false);
        Machine.SetString(ProductOptions, "ProductType", c.Type);
        EXPECT_EQ(std::string("Microsoft Windows NT ") + c.Edition + "4.0 Service Pack 5 (Build 1381)\n", Row());
    }
    Version(2, 4, 0, 1381, "Service Pack 5", 0, 0, false);
    Machine.Keys[ProductOptions]["ProductType"] = {REG_SZ, "LANMANNT"};  // no terminator
    EXPECT_EQ("Microsoft Windows NT Server 4.0 Service Pack 5 (Build 1381)\n", Row());
}

TEST_F(OsSectionTest, BasicRecordEndsEarlyWithoutAReadableProductType)
{
    Version(2, 4, 0, 1381, "Service Pack 5", 0, 0, false);
    EXPECT_EQ("Microsoft Windows NT ", Row()) << "no ProductOptions key";

    Machine.Keys[ProductOptions];
    EXPECT_EQ("Microsoft Windows NT ", Row()) << "no ProductType value";
    EXPECT_EQ(1, Machine.Closes);

    Machine.SetString(ProductOptions, "ProductType", std::string(80, 'W'));  // 81 bytes with the NUL
    EXPECT_EQ("Microsoft Windows NT ", Row());
    Machine.SetString(ProductOptions, "ProductType", std::string(80, 'W'), false);  // exactly 80 bytes
    EXPECT_EQ("Microsoft Windows NT 4.0 Service Pack 5 (Build 1381)\n", Row());
}

TEST_F(OsSectionTest, WindowsNinetyFiveFamily)
{
    Version(1, 4, 0, 950, " C");
    EXPECT_EQ("Microsoft Windows 95 OSR2 ", Row());
    Version(1, 4, 0, 950, " B");
    EXPECT_EQ("Microsoft Windows 95 OSR2 ", Row());
    Version(1, 4, 0, 950, " A");
    EXPECT_EQ("Microsoft Windows 95 ", Row());
    Version(1, 4, 10, 2222, " A ");
    EXPECT_EQ("Microsoft Windows 98 SE ", Row());
    Version(1, 4, 10, 1998, "");
    EXPECT_EQ("Microsoft Windows 98 ", Row());
    Version(1, 4, 90, 3000, " ");
    EXPECT_EQ("Microsoft Windows Millennium Edition\n", Row());
}

TEST_F(OsSectionTest, OtherPlatformsAndBuildBits)
{
    Version(0, 1, 30, 0, "");
    EXPECT_EQ("Microsoft Win32s\n", Row());
    Version(3, 5, 1, 2600, "");
    EXPECT_EQ("", Row());
    Version(2, 5, 2, 0x10ECE, "", 3, 0);
    EXPECT_EQ("Microsoft Windows Server&nbsp;2003 family, Standard Edition  (Build 3790)\n", Row());
}

TEST_F(OsSectionTest, NinetyEightRowIsContinuedByTheComputerName)
{
    Version(1, 4, 10, 1998, "");
    TSystemInfo info(Machine, Machine, Machine);
    info.AddOsSection();
    info.AddNamesSection();
    std::string report;
    for (const std::string& element : info.GetLines()) report += element;
    EXPECT_EQ(0u, report.find("Microsoft Windows 98 Computer name:  PLAYER-PC\n")) << report;
}
