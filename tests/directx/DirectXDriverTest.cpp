#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "directx/DirectXTexts.h"
#include "fakes/directx/FakeDxDiag.h"
#include "info/directx/DirectXInfo.h"
#include "support/SectionText.h"

namespace {

std::vector<std::string> Elements(const TDirectXInfo& info)
{
    return std::vector<std::string>(info.GetLines().begin(), info.GetLines().end());
}

const std::string Failure = "DirectXの初期化に失敗しました\n";
const std::string System = "DxDialog DirectX Infomation:\n";
const std::string Sound = "DxDialog DirectSound Infomation:\n";

std::string Spaces(size_t count) { return std::string(count, ' '); }

TFakeContainer& Displays(TFakeContainer& root, int count)
{
    TFakeContainer& list = root.Child(L"DxDiag_DisplayDevices");
    for (int i = 0; i < count; ++i) list.Child(std::to_wstring(i)).Set(L"dwBpp", VT_UI4, 32);
    return list;
}

// A tree the provider holds and the whole section read from it; the adapter
// gives no identifier, so the provider's parts are all there is.
struct GatherRow {
    const char* Case;
    void (*Tree)(TFakeContainer& root);
    std::string Expected;
};

}  // namespace

TEST(DirectXDriverTest, NothingIsWrittenWhenTheProviderDoesNotOpen)
{
    for (int step = 0; step < 4; ++step) {
        TFakeApi api;
        if (step == 0) api.CreateResult = REGDB_E_CLASSNOTREG;
        if (step == 1) api.ProviderMissing = true;
        if (step == 2) api.Provider.InitializeResult = E_FAIL;
        if (step == 3) api.Provider.RootResult = E_FAIL;
        TDirectXInfo info(api);
        info.Collect(XpVersion());
        EXPECT_TRUE(info.GetLines().empty()) << "step " << step << ": " << info.GetLines().front();
        EXPECT_TRUE(api.AllReleased()) << "step " << step;
        EXPECT_EQ(0, api.Loads) << "step " << step << ": Direct3D is asked for last";
    }
}

TEST(DirectXDriverTest, MissingDirect3DWritesOnlyTheMessage)
{
    for (int way = 0; way < 3; ++way) {
        TFakeApi api;
        if (way == 0) api.MissingLibraries.insert("d3d9.dll");
        if (way == 1) api.MissingFunctions.insert("Direct3DCreate9");
        if (way == 2) api.Direct3DMissing = true;
        TDirectXInfo info(api);
        info.Collect(XpVersion());
        EXPECT_EQ(std::vector<std::string>{Failure}, Elements(info)) << "way " << way;
        EXPECT_TRUE(api.AllReleased()) << "way " << way;
        EXPECT_EQ("C:\\WINDOWS\\system32\\d3d9.dll", api.LoadedPaths.at(0));
    }
}

TEST(DirectXDriverTest, ProviderIsInitialisedWithTheNinthSdkRecord)
{
    TFakeApi api;
    TDirectXInfo info(api);
    info.Collect(XpVersion());
    // The 32-bit program's record; a 64-bit test build's pointer is wider.
    EXPECT_EQ(sizeof(void*) == 4 ? 16u : 24u, api.Provider.Parameters.dwSize);
    EXPECT_EQ(111u, api.Provider.Parameters.dwDxDiagHeaderVersion);
    EXPECT_EQ(TRUE, api.Provider.Parameters.bAllowWHQLChecks);
    EXPECT_EQ(nullptr, api.Provider.Parameters.pReserved);
}

TEST(DirectXDriverTest, FiveSectionsInOrderEvenWhenOneWritesNothing)
{
    TFakeApi api;
    api.Direct3D.IdentifierResult = E_FAIL;  // the adapter section writes nothing
    TDirectXInfo info(api);
    info.Collect(XpVersion());
    EXPECT_EQ((std::vector<std::string>{System, Sound, Display, Files}), Elements(info));
    EXPECT_TRUE(api.AllReleased());

    TFakeApi whole;
    TDirectXInfo second(whole);
    second.Collect(XpVersion());
    ASSERT_FALSE(second.GetLines().empty());
    EXPECT_EQ("Graphic Adapter information:\n", second.GetLines().front());
    EXPECT_EQ(Files, second.GetLines().back());
    EXPECT_TRUE(whole.AllReleased());
    EXPECT_FALSE(whole.FreedWhileInUse) << "d3d9.dll was freed before its object";
    EXPECT_EQ(1, whole.Loads);
}

TEST(DirectXDriverTest, ASecondRunOpensAndReleasesAgain)
{
    TFakeApi api;
    TDirectXInfo info(api);
    info.Collect(XpVersion());
    const size_t once = info.GetLines().size();
    info.Collect(XpVersion());
    EXPECT_EQ(2 * once, info.GetLines().size()) << "a run appends";
    EXPECT_TRUE(api.AllReleased());
    EXPECT_EQ(2, api.Frees);
}

TEST(DirectXDriverTest, ListsAreReadInOrderUntilSomethingFails)
{
    const GatherRow rows[] = {
        {"system properties in table order, each as its type; a mistyped one is left out",
         [](TFakeContainer& root) {
             TFakeContainer& system = root.Child(L"DxDiag_SystemInfo");
             system.SetText(L"szTimeEnglish", L"12/8/2026, 21:27:17");
             system.SetText(L"ullPhysicalMemory", L"25276157952");
             system.Set(L"ullUsedPageFile", VT_UI4, 5);
             system.Set(L"nDShowDebugLevel", VT_I4, -2);
             system.Set(L"bNECPC98", VT_BOOL, 0);
             system.Set(L"dwOSMajorVersion", VT_UI4, 6);
         },
         System + " dwOSMajorVersion: 6\n bNECPC98: false\n ullPhysicalMemory: 25276157952\n nDShowDebugLevel: -2\n"
                  " szTimeEnglish: 12/8/2026, 21:27:17\n\n" + Sound + Display + Files},
        {"devices one after another, one listing nothing; an empty list keeps its empty row",
         [](TFakeContainer& root) {
             TFakeContainer& displays = root.Child(L"DxDiag_DisplayDevices");
             displays.Child(L"0").SetText(L"szDeviceName", L"\\\\.\\DISPLAY1");
             displays.Child(L"0").Set(L"dwWidth", VT_UI4, 1280);
             displays.Child(L"1").SetText(L"szDeviceName", L"\\\\.\\DISPLAY2");
             displays.Child(L"1").Set(L"bNoHardware", VT_BOOL, -1);
             displays.Child(L"2");
             root.Child(L"DxDiag_DirectSound").Child(L"DxDiag_SoundDevices");
         },
         System + Sound + "\n" + Display +
             " szDeviceName: \\\\.\\DISPLAY1\n dwWidth: 1280\n szDeviceName: \\\\.\\DISPLAY2\n bNoHardware: true\n\n" +
             Files},
        {"a device that does not open", [](TFakeContainer& root) { Displays(root, 3).FailOpenAt = 2; },
         System + Sound + Display + " dwBpp: 32\n dwBpp: 32\n" + Files},
        {"a name that is not given", [](TFakeContainer& root) { Displays(root, 3).FailEnumAt = 1; },
         System + Sound + Display + " dwBpp: 32\n" + Files},
        {"a count that fails", [](TFakeContainer& root) { Displays(root, 3).FailCount = true; },
         System + Sound + Display + Files},
        {"files with their marks and kinds; a mistyped flag counts as false",
         [](TFakeContainer& root) {
             TFakeContainer& files = root.Child(L"DxDiag_DirectXFiles");
             TFakeContainer& product = files.Child(L"0");
             product.SetText(L"szName", L"d3d9.dll");
             product.SetText(L"szVersion", L"9.29.0952.3111");
             product.SetText(L"szLanguageEnglish", L"Japanese");
             product.SetText(L"szDatestampLocalized", L"2009/10/31");
             product.Set(L"lNumBytes", VT_I4, 1885696);
             product.Set(L"bDebug", VT_BOOL, 0);
             files.Child(L"1").Set(L"bDebug", VT_BOOL, -1);
             files.Child(L"1").Set(L"bBeta", VT_BOOL, -1);
             files.Child(L"2").Set(L"bBeta", VT_BOOL, 1);
             files.Child(L"2").Set(L"bDebug", VT_I4, 1);
         },
         System + Sound + Display + Files + Rule + Header + Rule + "|   | d3d9.dll" + Spaces(32) +
             " | 9.29.0952.3111   | 製品       | Japanese   | 2009/10/31 |    1885696 |\n| ! | " + Spaces(40) +
             " | " + Spaces(16) + " | デバッグ   | " + Spaces(10) + " | " + Spaces(10) + " | " + Spaces(10) +
             " |\n|   | " + Spaces(40) + " | " + Spaces(16) + " | ベータ     | " + Spaces(10) + " | " +
             Spaces(10) + " | " + Spaces(10) + " |\n" + Rule + "\n"},
        {"a file that is not named",
         [](TFakeContainer& root) {
             TFakeContainer& files = root.Child(L"DxDiag_DirectXFiles");
             files.Child(L"a").SetText(L"szName", L"a.dll");
             files.Child(L"b").SetText(L"szName", L"b.dll");
             files.FailEnumAt = 1;
         },
         System + Sound + Display + Files + Rule + Header + Rule + "|   | a.dll" + Spaces(35) + " | " + Spaces(16) +
             " | 製品       | " + Spaces(10) + " | " + Spaces(10) + " | " + Spaces(10) + " |\n"},
        {"files that cannot be counted",
         [](TFakeContainer& root) { root.Child(L"DxDiag_DirectXFiles").FailCount = true; },
         System + Sound + Display + Files},
    };
    for (const GatherRow& row : rows) {
        SCOPED_TRACE(row.Case);
        TFakeApi api;
        api.Direct3D.IdentifierResult = E_FAIL;
        row.Tree(api.Provider.Root);
        TDirectXInfo info(api);
        info.Collect(XpVersion());
        EXPECT_EQ(row.Expected, SectionText(info));
        EXPECT_TRUE(api.AllReleased());
        EXPECT_EQ(0, api.LiveStrings) << "a fetched BSTR stayed allocated";
    }
}

TEST(DirectXDriverTest, AdapterTextsAreBoundedAndItsGuidInRegistryForm)
{
    TFakeApi api;
    D3DADAPTER_IDENTIFIER9& adapter = api.Direct3D.Identifier;
    strcpy(adapter.Driver, "nvd3dum.dll");
    memset(adapter.Description, 'x', sizeof(adapter.Description));  // no terminator at all
    adapter.DriverVersion.HighPart = 0x00060006;
    adapter.DriverVersion.LowPart = 0x000E000C;
    adapter.VendorId = 0x10DE;
    adapter.Revision = 0xA1;
    adapter.DeviceIdentifier = {0xAEB2CDD4, 0x6E41, 0x43EA, {0x94, 0x1C, 0x83, 0x61, 0xCC, 0x76, 0x07, 0x81}};
    adapter.WHQLLevel = 1;
    TDirectXInfo info(api);
    info.Collect(XpVersion());
    EXPECT_EQ(0u, api.Direct3D.AskedAdapter);
    EXPECT_EQ("Graphic Adapter information:\n Driver Name : nvd3dum.dll\n Description : " + std::string(512, 'x') +
                  "\n DeviceIdentifier : {AEB2CDD4-6E41-43EA-941C-8361CC760781}\n Driver Version : 6.6.14.12\n"
                  " VendorId : 4318\n DeviceId : 0\n SubSysId : 0\n Revision : 161\n"
                  " Windows Hardware Quality Labs(WHQL)妥当性レベル : WHQL の認証は受けているが、利用できる日付情報はない。\n\n" +
                  System + Sound + Display + Files,
              SectionText(info));
}
