#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/directx/FakeDxDiag.h"
#include "info/directx/DirectXInfo.h"
#include "info/directx/PropertyTables.h"

namespace {

std::string Text(const TDirectXInfo& info)
{
    std::string text;
    for (const std::string& element : info.GetLines()) text += element;
    return text;
}

const std::string Rule = "+---+------------------------------------------+------------------+------------+------------+"
                         "---------------------+------------+\n";
const std::string Header = "|   | ファイル名                               | バージョン       | 属性       | 言語       "
                           "|                日付 |     サイズ |\n";

std::string Spaces(size_t count) { return std::string(count, ' '); }

// A collector opened on the fake, its lines written by one section.
class DirectXSectionsTest : public ::testing::Test {
protected:
    DirectXSectionsTest() : Info(Api) {}
    void Open() { ASSERT_TRUE(Info.OpenDiagnostics()); }
    void TearDown() override
    {
        Info.ReleaseInterfaces();
        EXPECT_TRUE(Api.AllReleased());
        EXPECT_EQ(0, Api.LiveStrings);
    }
    TFakeContainer& Root() { return Api.Provider.Root; }
    TFakeContainer& Display(const std::wstring& name) { return Root().Child(L"DxDiag_DisplayDevices").Child(name); }
    TFakeContainer& File(const std::wstring& name) { return Root().Child(L"DxDiag_DirectXFiles").Child(name); }

    TFakeApi Api;
    TDirectXInfo Info;
};

}  // namespace

TEST_F(DirectXSectionsTest, TablesHoldEveryPropertyOnce)
{
    EXPECT_EQ(55u, SystemPropertyCount);
    EXPECT_EQ(58u, SoundDevicePropertyCount);
    EXPECT_EQ(72u, DisplayDevicePropertyCount);
    EXPECT_STREQ(L"szTimeEnglish", SystemProperties[54].Name);
    EXPECT_EQ(VT_I4, SoundDeviceProperties[18].Type) << "lNumBytes";
    EXPECT_EQ(VT_UI4, DisplayDeviceProperties[25].Type) << "lDriverSize";
    EXPECT_STREQ(L"szTestResultD3D9English", DisplayDeviceProperties[71].Name);
}

TEST_F(DirectXSectionsTest, SystemPropertiesInTableOrderWithTheirTypes)
{
    TFakeContainer& system = Root().Child(L"DxDiag_SystemInfo");
    system.SetText(L"szTimeEnglish", L"12/8/2026, 21:27:17");
    system.SetText(L"ullPhysicalMemory", L"25276157952");
    system.Set(L"ullUsedPageFile", VT_UI4, 5);  // a number where text is read: left out
    system.Set(L"nDShowDebugLevel", VT_I4, -2);
    system.Set(L"bNECPC98", VT_BOOL, 0);
    system.Set(L"dwOSMajorVersion", VT_UI4, 6);
    Open();
    Info.WriteSystemInfo();
    EXPECT_EQ("DxDialog DirectX Infomation:\n dwOSMajorVersion: 6\n bNECPC98: false\n ullPhysicalMemory: 25276157952\n"
              " nDShowDebugLevel: -2\n szTimeEnglish: 12/8/2026, 21:27:17\n\n",
              Text(Info));
}

TEST_F(DirectXSectionsTest, DevicesFollowOneAnotherWithoutSeparator)
{
    Display(L"0").SetText(L"szDeviceName", L"\\\\.\\DISPLAY1");
    Display(L"0").Set(L"dwWidth", VT_UI4, 1280);
    Display(L"1").SetText(L"szDeviceName", L"\\\\.\\DISPLAY2");
    Display(L"1").Set(L"bNoHardware", VT_BOOL, -1);
    Display(L"2");  // lists none of the properties
    Root().Child(L"DxDiag_DirectSound").Child(L"DxDiag_SoundDevices");
    Open();
    Info.WriteDisplayDevices();
    Info.WriteSoundDevices();
    EXPECT_EQ("DxDialog Display Infomation:\n szDeviceName: \\\\.\\DISPLAY1\n dwWidth: 1280\n"
              " szDeviceName: \\\\.\\DISPLAY2\n bNoHardware: true\n\n"
              "DxDialog DirectSound Infomation:\n\n",
              Text(Info));
}

TEST_F(DirectXSectionsTest, FailuresKeepWhatWasWrittenAndDropTheEmptyRow)
{
    for (int i = 0; i < 3; ++i) Display(std::to_wstring(i)).Set(L"dwBpp", VT_UI4, 32);
    Root().Child(L"DxDiag_DisplayDevices").FailOpenAt = 2;
    Open();
    Info.WriteDisplayDevices();
    EXPECT_EQ("DxDialog Display Infomation:\n dwBpp: 32\n dwBpp: 32\n", Text(Info));

    Root().Child(L"DxDiag_DisplayDevices").FailOpenAt = 0xFFFFFFFF;
    Root().Child(L"DxDiag_DisplayDevices").FailEnumAt = 1;
    Info.WriteDisplayDevices();
    Root().Child(L"DxDiag_DisplayDevices").FailCount = true;
    Info.WriteDisplayDevices();
    Info.WriteSoundDevices();  // no such path
    Info.WriteSystemInfo();
    EXPECT_EQ("DxDialog Display Infomation:\n dwBpp: 32\n dwBpp: 32\n"
              "DxDialog Display Infomation:\n dwBpp: 32\n"
              "DxDialog Display Infomation:\nDxDialog DirectSound Infomation:\nDxDialog DirectX Infomation:\n",
              Text(Info));
}

TEST_F(DirectXSectionsTest, MissingSoundPathMeetsTheDisplayHeading)
{
    Root().Child(L"DxDiag_DisplayDevices");
    Info.Collect();
    const std::string text = Text(Info);
    EXPECT_NE(std::string::npos, text.find("DxDialog DirectSound Infomation:\nDxDialog Display Infomation:\n\n")) << text;
}

TEST_F(DirectXSectionsTest, FilesTableWithoutFilesIsItsBoxAlone)
{
    Root().Child(L"DxDiag_DirectXFiles");
    Open();
    EXPECT_TRUE(Info.WriteDirectXFiles());
    EXPECT_EQ("DxDialog DirectX File Infomation:\n" + Rule + Header + Rule + Rule + "\n", Text(Info));
    EXPECT_EQ(Rule.size(), Header.size()) << "the header spans the rule";
}

TEST_F(DirectXSectionsTest, FileRowsShowMarkKindAndAlignedCells)
{
    TFakeContainer& product = File(L"0");
    product.SetText(L"szName", L"d3d9.dll");
    product.SetText(L"szVersion", L"9.29.0952.3111");
    product.SetText(L"szLanguageEnglish", L"Japanese");
    product.SetText(L"szDatestampLocalized", L"2009/10/31");
    product.Set(L"lNumBytes", VT_I4, 1885696);
    product.Set(L"bDebug", VT_BOOL, 0);
    TFakeContainer& debug = File(L"1");
    debug.Set(L"bDebug", VT_BOOL, -1);
    debug.Set(L"bBeta", VT_BOOL, -1);
    debug.SetText(L"szName", std::wstring(41, L'n'));
    File(L"2").Set(L"bBeta", VT_BOOL, 1);
    File(L"2").Set(L"bDebug", VT_I4, 1);  // mistyped: counts as false
    Open();
    Info.WriteDirectXFiles();
    const auto& lines = Info.GetLines();
    ASSERT_EQ(9u, lines.size());
    EXPECT_EQ("|   | d3d9.dll" + Spaces(32) + " | 9.29.0952.3111   | 製品" + Spaces(6) + " | Japanese   | 2009/10/31 |" +
                  Spaces(4) + "1885696 |\n",
              lines[4]);
    EXPECT_EQ("| ! | " + std::string(41, 'n') + " | " + Spaces(16) + " | デバッグ   | " + Spaces(10) + " | " +
                  Spaces(10) + " | " + Spaces(10) + " |\n",
              lines[5]);
    EXPECT_EQ("|   | " + Spaces(40) + " | " + Spaces(16) + " | ベータ     | " + Spaces(10) + " | " + Spaces(10) +
                  " | " + Spaces(10) + " |\n",
              lines[6]);
    EXPECT_EQ(Rule, lines[7]);
}

TEST_F(DirectXSectionsTest, FileFailureKeepsTheEarlierRowsWithoutClosingRule)
{
    File(L"a").SetText(L"szName", L"a.dll");
    File(L"b").SetText(L"szName", L"b.dll");
    Root().Child(L"DxDiag_DirectXFiles").FailEnumAt = 1;
    Open();
    EXPECT_FALSE(Info.WriteDirectXFiles());
    ASSERT_EQ(5u, Info.GetLines().size());
    EXPECT_EQ(0u, Info.GetLines().back().find("|   | a.dll ")) << Info.GetLines().back();
    Root().Child(L"DxDiag_DirectXFiles").FailCount = true;
    EXPECT_FALSE(Info.WriteDirectXFiles());
    EXPECT_EQ("DxDialog DirectX File Infomation:\n", Info.GetLines().back());
}

TEST_F(DirectXSectionsTest, AdapterSectionDecodesVersionIdentifiersAndWhql)
{
    D3DADAPTER_IDENTIFIER9& adapter = Api.Direct3D.Identifier;
    strcpy(adapter.Driver, "nvd3dum.dll");
    memset(adapter.Description, 'x', sizeof(adapter.Description));  // no terminator at all
    adapter.DriverVersion.HighPart = 0x00060006;
    adapter.DriverVersion.LowPart = 0x000E000C;
    adapter.VendorId = 0x10DE;
    adapter.DeviceId = 0x06CD;
    adapter.SubSysId = 0;
    adapter.Revision = 0xA1;
    adapter.DeviceIdentifier = {0xAEB2CDD4, 0x6E41, 0x43EA, {0x94, 0x1C, 0x83, 0x61, 0xCC, 0x76, 0x07, 0x81}};
    adapter.WHQLLevel = 0x07D90A1F;
    Open();
    EXPECT_TRUE(Info.WriteAdapterInfo());
    EXPECT_EQ(0u, Api.Direct3D.AskedAdapter);
    EXPECT_EQ("Graphic Adapter information:\n Driver Name : nvd3dum.dll\n Description : " + std::string(512, 'x') +
                  "\n DeviceIdentifier : {AEB2CDD4-6E41-43EA-941C-8361CC760781}\n Driver Version : 6.6.14.12\n"
                  " VendorId : 4318\n DeviceId : 1741\n SubSysId : 0\n Revision : 161\n"
                  " Windows Hardware Quality Labs(WHQL)妥当性レベル : 認証日付 ( 2009 / 10 / 31 )\n\n",
              Text(Info));
}

TEST_F(DirectXSectionsTest, WhqlLevelsAndAFailedIdentifier)
{
    EXPECT_EQ("認証されていない。", WhqlLevelText(0));
    EXPECT_EQ("WHQL の認証は受けているが、利用できる日付情報はない。", WhqlLevelText(1));
    EXPECT_EQ("認証日付 ( 2009 / 10 / 31 )", WhqlLevelText(0x07D91A1F)) << "only bits 8-11 are the month";
    Api.Direct3D.IdentifierResult = D3DERR_INVALIDCALL;
    Open();
    EXPECT_FALSE(Info.WriteAdapterInfo());
    EXPECT_TRUE(Info.GetLines().empty());
}
