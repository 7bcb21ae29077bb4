#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "fakes/drive/FakeDriveApi.h"
#include "info/drive/DriveInfo.h"
#include "support/SectionText.h"

namespace {

std::string Block(const std::string& root, const std::string& name, const std::string& fileSystem,
                  const std::string& flags, const std::string& serial, const std::string& length,
                  const std::string& type, const std::string& total, const std::string& free)
{
    return "Drive : " + root + "\n VolumeName: " + name + "\n FileSystem: " + fileSystem +
           "\n FileSystemFlag: " + flags + "\n SerialNumber: " + serial + "\n MaximumComponentLength : " + length +
           "\n nDriveType: " + type + " TotalBytes: " + total + "\n FreeBytes: " + free + "\n\n";
}

const std::string ThreeDrivesSection =
    "Drive information: \n" + Block("A:\\", "", "", "0", "0", "0", "リムーバブルディスク\n", "0", "0") +
    Block("C:\\", "システム", "NTFS", "3e700ff", "1234abcd", "255", "固定ディスク\n", "500000000000", "123456789012") +
    Block("D:\\", "", "CDFS", "0", "0", "0", "CD-ROM\n", "0", "0");

DriveRecord Drive(const char* root, UINT type, ULONGLONG total = 0)
{
    DriveRecord drive;
    drive.RootPath = root;
    drive.DriveType = type;
    drive.TotalBytes = total;
    return drive;
}

}  // namespace

// The fake's three drives, gathered and written in list order, one element per field.
TEST(DriveInfoTest, ThreeDrivesInListOrder)
{
    TFakeDriveApi api;
    ThreeDrives(api);
    TDriveInfo info(api);
    info.Collect(XpVersion());
    EXPECT_EQ(ThreeDrivesSection, SectionText(info));
    EXPECT_EQ(1 + 3 * 11u, info.GetLines().size());
}

TEST(DriveInfoTest, WrittenFromTheRecordsAlone)
{
    const struct {
        std::vector<DriveRecord> Drives;
        const char* Section;
    } rows[] = {
        {{}, "Drive information: \n"},
        // A type without a text leaves its row open for the size.
        {{Drive("Z:\\", 7, 4096)},
         "Drive information: \nDrive : Z:\\\n VolumeName: \n FileSystem: \n FileSystemFlag: 0\n SerialNumber: 0\n"
         " MaximumComponentLength : 0\n nDriveType:  TotalBytes: 4096\n FreeBytes: 0\n\n"},
        {{Drive("R:\\", DRIVE_RAMDISK), Drive("N:\\", DRIVE_REMOTE)},
         "Drive information: \nDrive : R:\\\n VolumeName: \n FileSystem: \n FileSystemFlag: 0\n SerialNumber: 0\n"
         " MaximumComponentLength : 0\n nDriveType: RAMドライブ\n TotalBytes: 0\n FreeBytes: 0\n\n"
         "Drive : N:\\\n VolumeName: \n FileSystem: \n FileSystemFlag: 0\n SerialNumber: 0\n"
         " MaximumComponentLength : 0\n nDriveType: ネットワークドライブ\n TotalBytes: 0\n FreeBytes: 0\n\n"},
    };
    for (const auto& row : rows) EXPECT_EQ(row.Section, SectionText(WrittenSection(WriteDriveSection, row.Drives)));
}

TEST(DriveInfoTest, EveryTypeText)
{
    const char* const expected[] = {"識別不能\n",     "マウントされていない\n", "リムーバブルディスク\n",
                                    "固定ディスク\n", "ネットワークドライブ\n", "CD-ROM\n",
                                    "RAMドライブ\n",  ""};
    for (UINT type = 0; type < 8; ++type) EXPECT_STREQ(expected[type], DriveTypeText(type)) << "type " << type;
    EXPECT_STREQ("", DriveTypeText(0xffffffff));
}

TEST(DriveInfoTest, FallsBackToClusterCountsWithoutTheExtendedCall)
{
    TFakeDriveApi api;
    api.MissingFunctions.insert("GetDiskFreeSpaceExA");
    api.List = std::string("C:\\\0", 4);
    TFakeVolume& c = api.Volumes["C:\\"];
    c.SectorsPerCluster = 8;
    c.BytesPerSector = 512;
    c.TotalClusters = 1000;
    c.FreeClusters = 250;
    TDriveInfo info(api);
    info.Collect(XpVersion());
    EXPECT_EQ(4096000u, info.GetDrives()[0].TotalBytes);
    EXPECT_EQ(1024000u, info.GetDrives()[0].FreeBytes);

    // Products are 64-bit: 2 TB of clusters does not wrap at 4 GB.
    c.SectorsPerCluster = 64;
    c.BytesPerSector = 4096;
    c.TotalClusters = 0xffffffff;
    TDriveInfo large(api);
    large.Collect(XpVersion());
    EXPECT_EQ(0xffffffffULL * 64 * 4096, large.GetDrives()[0].TotalBytes);
}

TEST(DriveInfoTest, ListLongerThan1024BytesIsReadWhole)
{
    TFakeDriveApi api;
    // 300 mount points of 8 bytes each: 2400 bytes.
    for (int i = 0; i < 300; ++i) {
        char root[16];
        std::snprintf(root, sizeof(root), "M%03d:\\", i);
        api.List += std::string(root) + '\0';
    }
    TDriveInfo info(api);
    info.ListDrives();
    ASSERT_EQ(300u, info.GetDrives().size());
    EXPECT_EQ("M000:\\", info.GetDrives().front().RootPath);
    EXPECT_EQ("M299:\\", info.GetDrives().back().RootPath);
    ASSERT_EQ(2u, api.ListLengths.size());
    EXPECT_EQ(1024u, api.ListLengths[0]);
    EXPECT_GE(api.ListLengths[1], api.List.size() + 1);
}

namespace {

// A platform that keeps asking for more, or fills the buffer without a terminator.
class THostileListApi : public TFakeDriveApi {
public:
    int Mode = 0;
    DWORD GetLogicalDriveStringsA(DWORD length, LPSTR buffer) override
    {
        ListLengths.push_back(length);
        if (Mode == 0) return length * 2;  // never enough
        std::memset(buffer, 'X', length);  // full length, no NUL at all
        return length;
    }
};

}  // namespace

TEST(DriveInfoTest, HostileListsEndInsideTheBuffer)
{
    THostileListApi growing;
    TDriveInfo endless(growing);
    endless.ListDrives();
    EXPECT_TRUE(endless.GetDrives().empty());
    EXPECT_LE(growing.ListLengths.size(), 5u);

    THostileListApi unterminated;
    unterminated.Mode = 1;
    TDriveInfo filled(unterminated);
    filled.ListDrives();
    ASSERT_EQ(1u, filled.GetDrives().size());
    EXPECT_EQ(std::string(1024, 'X'), filled.GetDrives()[0].RootPath);
}

TEST(DriveInfoTest, UnterminatedVolumeNamesStayInsideTheirBuffers)
{
    TFakeDriveApi api;
    api.List = std::string("C:\\\0", 4);
    api.Volumes["C:\\"].VolumeName = std::string(600, 'N');
    api.Volumes["C:\\"].FileSystemName = std::string(600, 'F');
    TDriveInfo info(api);
    info.ListDrives();
    info.ReadVolumes();
    EXPECT_EQ(std::string(511, 'N'), info.GetDrives()[0].VolumeName);
    EXPECT_EQ(std::string(511, 'F'), info.GetDrives()[0].FileSystemName);
}

// Volume and size reads alike: an empty drive raises no box.
TEST(DriveInfoTest, CriticalErrorsAreQuietForTheWholeDrivePass)
{
    TFakeDriveApi api;
    api.List = std::string("A:\\\0C:\\\0", 8);
    TDriveInfo info(api);
    info.Collect(XpVersion());
    const std::vector<std::string> expected = {
        "GetLogicalDriveStringsA",
        "SetErrorMode 1",
        "GetVolumeInformationA A:\\ mode 1",
        "GetVolumeInformationA C:\\ mode 1",
        "GetProcAddress",
        "GetDiskFreeSpaceExA A:\\ mode 1",
        "GetProcAddress",
        "GetDiskFreeSpaceExA C:\\ mode 1",
        "SetErrorMode 32768",
    };
    EXPECT_EQ(expected, api.Calls);
}

TEST(DriveInfoTest, RealPlatformListsDriveRoots)
{
    TDriveInfo info;
    info.Collect(XpVersion());
    ASSERT_FALSE(info.GetDrives().empty()) << "Wine maps at least C: and Z:";
    for (const DriveRecord& drive : info.GetDrives()) {
        ASSERT_EQ(3u, drive.RootPath.size()) << drive.RootPath;
        EXPECT_EQ(":\\", drive.RootPath.substr(1)) << drive.RootPath;
        EXPECT_LE(drive.FreeBytes, drive.TotalBytes) << drive.RootPath;
    }
    EXPECT_EQ("Drive information: \n", info.GetLines().front());
    const size_t drives = info.GetDrives().size();
    EXPECT_GE(info.GetLines().size(), 1 + 10 * drives);
    EXPECT_LE(info.GetLines().size(), 1 + 11 * drives);
    EXPECT_EQ("\n", info.GetLines().back());
}
