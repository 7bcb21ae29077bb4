#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <vector>

#include "app/Collectors.h"
#include "info/OsVersion.h"

namespace {

// Answers GetVersionExA by the size it is asked for.
class TFakeVersionApi : public TVersionApi {
public:
    bool AcceptExtended = true;
    bool AcceptBasic = true;
    std::vector<DWORD> Sizes;

    BOOL GetVersionExA(LPOSVERSIONINFOA info) override
    {
        Sizes.push_back(info->dwOSVersionInfoSize);
        if (info->dwOSVersionInfoSize == sizeof(OSVERSIONINFOEXA)) {
            if (!AcceptExtended) {
                // A refusing platform may still have scribbled on the record.
                std::memset(reinterpret_cast<char*>(info) + 4, 0xAB, sizeof(OSVERSIONINFOEXA) - 4);
                return FALSE;
            }
            auto* extended = reinterpret_cast<OSVERSIONINFOEXA*>(info);
            FillBasic(info);
            extended->wServicePackMajor = 4;
            extended->wProductType = VER_NT_WORKSTATION;
            return TRUE;
        }
        if (info->dwOSVersionInfoSize == sizeof(OSVERSIONINFOA) && AcceptBasic) {
            FillBasic(info);
            return TRUE;
        }
        return FALSE;
    }

    static void FillBasic(LPOSVERSIONINFOA info)
    {
        info->dwMajorVersion = 5;
        info->dwMinorVersion = 0;
        info->dwBuildNumber = 2195;
        info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    }
};

class OsVersionTest : public ::testing::Test {
protected:
    TFakeVersionApi Api;
};

}  // namespace

TEST_F(OsVersionTest, RecordSizesAreThePlatformForms)
{
    EXPECT_EQ(156u, sizeof(OSVERSIONINFOEXA));
    EXPECT_EQ(148u, sizeof(OSVERSIONINFOA));
}

TEST_F(OsVersionTest, ExtendedFormFirst)
{
    const OsVersionRecord version = ReadOsVersion(Api);
    EXPECT_TRUE(version.Loaded);
    EXPECT_EQ((std::vector<DWORD>{156}), Api.Sizes);
    EXPECT_TRUE(version.IsEx);
    EXPECT_EQ(156u, version.Info.dwOSVersionInfoSize);
    EXPECT_EQ(4, version.Info.wServicePackMajor);
}

TEST_F(OsVersionTest, BasicFormWhenTheExtendedOneIsRefused)
{
    Api.AcceptExtended = false;
    const OsVersionRecord version = ReadOsVersion(Api);
    EXPECT_TRUE(version.Loaded);
    EXPECT_EQ((std::vector<DWORD>{156, 148}), Api.Sizes);
    EXPECT_FALSE(version.IsEx);
    EXPECT_EQ(148u, version.Info.dwOSVersionInfoSize);
    EXPECT_EQ(2195u, version.Info.dwBuildNumber);
    EXPECT_EQ(0, version.Info.wServicePackMajor);
    EXPECT_EQ(0, version.Info.wServicePackMinor);
    EXPECT_EQ(0, version.Info.wSuiteMask);
    EXPECT_EQ(0, version.Info.wProductType);
    EXPECT_EQ(0, version.Info.wReserved);
}

TEST_F(OsVersionTest, BothFormsRefused)
{
    Api.AcceptExtended = false;
    Api.AcceptBasic = false;
    const OsVersionRecord version = ReadOsVersion(Api);
    EXPECT_FALSE(version.Loaded);
    EXPECT_FALSE(version.IsEx);
    EXPECT_EQ(148u, version.Info.dwOSVersionInfoSize);
    EXPECT_EQ(0u, version.Info.dwMajorVersion);
    EXPECT_EQ(0u, version.Info.dwPlatformId);
}

TEST_F(OsVersionTest, TheCollectorsOfARunAskOnce)
{
    const TCollectors collectors(Api);
    EXPECT_EQ(1u, Api.Sizes.size()) << "the run's record is read once, whatever the collectors";
    EXPECT_TRUE(collectors.Version.Loaded);
}

TEST_F(OsVersionTest, RealPlatformFillsTheExtendedForm)
{
    const OsVersionRecord version = ReadOsVersion();
    ASSERT_TRUE(version.Loaded);
    EXPECT_TRUE(version.IsEx) << "every NT since 4.0 SP6 accepts the 156-byte form";
    EXPECT_EQ(156u, version.Info.dwOSVersionInfoSize);
    EXPECT_TRUE(version.Info.dwPlatformId == VER_PLATFORM_WIN32_NT || version.Info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS)
        << version.Info.dwPlatformId;
    EXPECT_GE(version.Info.dwMajorVersion, 4u);
}
