#include <gtest/gtest.h>

#include <string>

#include "directx/DirectXTexts.h"
#include "info/directx/DirectXInfo.h"
#include "info/directx/PropertyTables.h"
#include "support/SectionText.h"

namespace {

const std::string Box = Files + Rule + Header + Rule;

template <typename Record>
struct WriterRow {
    const char* Case;
    Record Given;
    std::string Expected;
};

template <typename Record, size_t Count, typename Write>
void ExpectWritten(const WriterRow<Record> (&rows)[Count], Write write)
{
    for (const WriterRow<Record>& row : rows)
        EXPECT_EQ(row.Expected, SectionText(WrittenSection(write, row.Given))) << row.Case;
}

DxAdapterRecord Adapter(DWORD whqlLevel)
{
    DxAdapterRecord adapter;
    adapter.Identified = true;
    adapter.Driver = "nvd3dum.dll";
    adapter.Description = "NVIDIA GeForce 9400M";
    adapter.DeviceIdentifier = "{AEB2CDD4-6E41-43EA-941C-8361CC760781}";
    adapter.DriverVersion.HighPart = 0x00060006;
    adapter.DriverVersion.LowPart = 0x000E000C;
    adapter.VendorId = 0x10DE;
    adapter.DeviceId = 0x06CD;
    adapter.Revision = 0xA1;
    adapter.WHQLLevel = whqlLevel;
    return adapter;
}

const std::string AdapterLines = "Graphic Adapter information:\n Driver Name : nvd3dum.dll\n Description : NVIDIA "
                                 "GeForce 9400M\n DeviceIdentifier : {AEB2CDD4-6E41-43EA-941C-8361CC760781}\n"
                                 " Driver Version : 6.6.14.12\n VendorId : 4318\n DeviceId : 1741\n SubSysId : 0\n"
                                 " Revision : 161\n Windows Hardware Quality Labs(WHQL)妥当性レベル : ";

}  // namespace

TEST(DirectXSectionsTest, TablesHoldEveryPropertyOnce)
{
    EXPECT_EQ(55u, SystemPropertyCount);
    EXPECT_EQ(58u, SoundDevicePropertyCount);
    EXPECT_EQ(72u, DisplayDevicePropertyCount);
    EXPECT_STREQ(L"szTimeEnglish", SystemProperties[54].Name);
    EXPECT_EQ(VT_I4, SoundDeviceProperties[18].Type) << "lNumBytes";
    EXPECT_EQ(VT_UI4, DisplayDeviceProperties[25].Type) << "lDriverSize";
    EXPECT_STREQ(L"szTestResultD3D9English", DisplayDeviceProperties[71].Name);
}

TEST(DirectXSectionsTest, AdapterDecodesVersionIdentifiersAndWhql)
{
    const WriterRow<DxAdapterRecord> rows[] = {
        {"uncertified", Adapter(0), AdapterLines + "認証されていない。\n\n"},
        {"certified without a date", Adapter(1), AdapterLines + "WHQL の認証は受けているが、利用できる日付情報はない。\n\n"},
        {"only bits 8-11 are the month", Adapter(0x07D91A1F), AdapterLines + "認証日付 ( 2009 / 10 / 31 )\n\n"},
        {"no identifier", DxAdapterRecord(), ""},
    };
    ExpectWritten(rows, WriteAdapterSection);
}

TEST(DirectXSectionsTest, DevicesFollowOneAnotherAndOnlyAWholeListEndsInAnEmptyRow)
{
    const DxProperties first = {{"szDeviceName", "\\\\.\\DISPLAY1"}, {"dwWidth", "1280"}};
    const DxProperties second = {{"szDeviceName", "\\\\.\\DISPLAY2"}, {"bNoHardware", "true"}};
    const std::string lines = " szDeviceName: \\\\.\\DISPLAY1\n dwWidth: 1280\n szDeviceName: \\\\.\\DISPLAY2\n"
                              " bNoHardware: true\n";
    const WriterRow<DxListRecord<DxProperties>> rows[] = {
        {"a whole list", {true, {first, second, {}}, true}, Display + lines + "\n"},
        {"an empty list", {true, {}, true}, Display + "\n"},
        {"stopped after two devices", {true, {first, second}, false}, Display + lines},
        {"a list that did not open", {}, Display},
    };
    ExpectWritten(rows, [](const DxListRecord<DxProperties>& list, TSection& section) {
        WriteDeviceSection(Display.c_str(), list, section);
    });
}

TEST(DirectXSectionsTest, FileRowsShowMarkKindAndAlignedCells)
{
    DxFileRecord product;
    product.Name = "d3d9.dll";
    product.Version = "9.29.0952.3111";
    product.Language = "Japanese";
    product.Date = "2009/10/31";
    product.Size = "1885696";
    DxFileRecord debug;
    debug.Debug = debug.Beta = true;
    debug.Name = std::string(41, 'n');
    DxFileRecord beta;
    beta.Beta = true;
    const std::string productRow = "|   | d3d9.dll                                 | 9.29.0952.3111   | 製品       "
                                   "| Japanese   | 2009/10/31 |    1885696 |\n";
    const WriterRow<DxListRecord<DxFileRecord>> rows[] = {
        {"no files", {true, {}, true}, Box + Rule + "\n"},
        {"a product, a debug and a beta file",
         {true, {product, debug, beta}, true},
         Box + productRow + "| ! | " + std::string(41, 'n') + " |                  | デバッグ   |            |"
                 "            |            |\n|   |                                          |                  "
                 "| ベータ     |            |            |            |\n" + Rule + "\n"},
        {"stopped after a file: no closing rule", {true, {product}, false}, Box + productRow},
        {"a list that did not open", {}, "DxDialog DirectX File Infomation:\n"},
    };
    ExpectWritten(rows, WriteFilesSection);
    EXPECT_EQ(Rule.size(), Header.size()) << "the header spans the rule";
}

TEST(DirectXSectionsTest, TheProviderAndDirect3DDecideWhatIsWritten)
{
    DirectXRecord opened;
    opened.ProviderOpened = opened.Direct3DCreated = true;
    opened.System = {true, {{{"dwOSMajorVersion", "5"}}}, true};
    DirectXRecord withoutDirect3D;
    withoutDirect3D.ProviderOpened = true;
    const WriterRow<DirectXRecord> rows[] = {
        {"no provider", DirectXRecord(), ""},
        {"no Direct3D", withoutDirect3D, "DirectXの初期化に失敗しました\n"},
        {"opened", opened,
         "DxDialog DirectX Infomation:\n dwOSMajorVersion: 5\n\nDxDialog DirectSound Infomation:\n"
         "DxDialog Display Infomation:\nDxDialog DirectX File Infomation:\n"},
    };
    ExpectWritten(rows, WriteDirectXSection);
}
