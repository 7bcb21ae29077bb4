#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <vector>

#include "info/BaseInfo.h"
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

class TVersionedInfo : public TBaseInfo {
public:
    explicit TVersionedInfo(TVersionApi& api) : TBaseInfo(api) {}
    void Collect() override {}
};

class OsVersionTest : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset()
    {
        std::memset(&OsVersion, 0, sizeof(OsVersion));
        OsVersionIsEx = false;
        OsVersionLoaded = false;
    }
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
    EXPECT_TRUE(LoadOsVersion(Api));
    EXPECT_EQ((std::vector<DWORD>{156}), Api.Sizes);
    EXPECT_TRUE(OsVersionIsEx);
    EXPECT_EQ(156u, OsVersion.dwOSVersionInfoSize);
    EXPECT_EQ(4, OsVersion.wServicePackMajor);
}

TEST_F(OsVersionTest, BasicFormWhenTheExtendedOneIsRefused)
{
    Api.AcceptExtended = false;
    EXPECT_TRUE(LoadOsVersion(Api));
    EXPECT_EQ((std::vector<DWORD>{156, 148}), Api.Sizes);
    EXPECT_FALSE(OsVersionIsEx);
    EXPECT_EQ(148u, OsVersion.dwOSVersionInfoSize);
    EXPECT_EQ(2195u, OsVersion.dwBuildNumber);
    EXPECT_EQ(0, OsVersion.wServicePackMajor);
    EXPECT_EQ(0, OsVersion.wServicePackMinor);
    EXPECT_EQ(0, OsVersion.wSuiteMask);
    EXPECT_EQ(0, OsVersion.wProductType);
    EXPECT_EQ(0, OsVersion.wReserved);
}

TEST_F(OsVersionTest, BothFormsRefused)
{
    Api.AcceptExtended = false;
    Api.AcceptBasic = false;
    EXPECT_FALSE(LoadOsVersion(Api));
    EXPECT_FALSE(OsVersionIsEx);
    EXPECT_EQ(148u, OsVersion.dwOSVersionInfoSize);
    EXPECT_EQ(0u, OsVersion.dwMajorVersion);
    EXPECT_EQ(0u, OsVersion.dwPlatformId);
}

TEST_F(OsVersionTest, ConstructionRetriesUntilOneSucceedsThenNeverAsksAgain)
{
    Api.AcceptExtended = false;
    Api.AcceptBasic = false;
    { TVersionedInfo first(Api); }
    EXPECT_FALSE(OsVersionLoaded);
    EXPECT_EQ(2u, Api.Sizes.size());

    Api.AcceptBasic = true;
    { TVersionedInfo second(Api); }
    EXPECT_TRUE(OsVersionLoaded);
    EXPECT_FALSE(OsVersionIsEx);
    EXPECT_EQ(4u, Api.Sizes.size());

    Api.AcceptExtended = true;
    { TVersionedInfo third(Api); }
    { TVersionedInfo fourth(Api); }
    EXPECT_EQ(4u, Api.Sizes.size()) << "the record is read from the platform once";
    EXPECT_FALSE(OsVersionIsEx);
}

TEST_F(OsVersionTest, RealPlatformFillsTheExtendedForm)
{
    ASSERT_TRUE(LoadOsVersion());
    EXPECT_TRUE(OsVersionIsEx) << "every NT since 4.0 SP6 accepts the 156-byte form";
    EXPECT_EQ(156u, OsVersion.dwOSVersionInfoSize);
    EXPECT_TRUE(OsVersion.dwPlatformId == VER_PLATFORM_WIN32_NT || OsVersion.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS)
        << OsVersion.dwPlatformId;
    EXPECT_GE(OsVersion.dwMajorVersion, 4u);
}
