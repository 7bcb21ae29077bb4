#include <gtest/gtest.h>

#include <string>

#include "fakes/directx/FakeDxDiag.h"
#include "info/directx/DirectXInfo.h"
#include "support/SectionText.h"

namespace {

const TFakeProp Missing = {};

std::string Repeated(const char* text, int count)
{
    std::string repeated;
    while (count-- > 0) repeated += text;
    return repeated;
}

// A property as the provider keeps it, read as its table's type on a system
// of that ANSI code page (0: this process's, 932), and the line written; none
// when the container lacks it with that type.
struct ReadRow {
    const wchar_t* Name;
    TFakeProp Stored;
    VARTYPE ReadAs;
    UINT CodePage;
    std::string Line;
};

class PropertyReaderTest : public ::testing::Test {
protected:
    PropertyReaderTest() : Container(Api), Info(Api) {}
    void TearDown() override { EXPECT_EQ(0, Api.LiveStrings) << "a fetched BSTR stayed allocated"; }

    TFakeApi Api;
    TFakeContainer Container;
    TDirectXInfo Info;
};

}  // namespace

TEST_F(PropertyReaderTest, EachTypeAsTheReportWritesIt)
{
    // "あ" is two bytes: 1 + 255 * 2 = 511 fits, 2 + 254 * 2 = 510 leaves no room for a half.
    const std::string kana = Repeated("あ", 255);
    const std::wstring speaker = L"スピーカー (Realtek High Definition Audio)";
    const ReadRow rows[] = {
        {L"nD3DDebugLevel", NumberProp(VT_I4, -1), VT_I4, 0, " nD3DDebugLevel: -1\n"},
        {L"nD3DDebugLevel", NumberProp(VT_I4, -1), VT_UI4, 0, ""},
        {L"dwFlags", NumberProp(VT_UI4, -1), VT_UI4, 0, " dwFlags: 4294967295\n"},
        {L"bDebug", NumberProp(VT_BOOL, 1), VT_BOOL, 0, " bDebug: true\n"},
        {L"bBeta", NumberProp(VT_BOOL, 0), VT_BOOL, 0, " bBeta: false\n"},
        {L"szNotesEnglish", TextProp(L""), VT_BSTR, 0, " szNotesEnglish: \n"},
        {L"szRegHelpText", NullTextProp(), VT_BSTR, 0, " szRegHelpText: \n"},
        {L"szName", NumberProp(VT_I4, 7), VT_BSTR, 0, ""},
        {L"byRef", NumberProp(VT_BSTR | VT_BYREF, 0), VT_BSTR, 0, ""},
        {L"dwMissing", Missing, VT_UI4, 0, ""},
        {L"bMissing", Missing, VT_BOOL, 0, ""},
        // cp932 whatever the system's ANSI code page; outside cp932 a question mark each, never a look-alike.
        {L"szDescription", TextProp(speaker), VT_BSTR, 0,
         " szDescription: スピーカー (Realtek High Definition Audio)\n"},
        {L"szDescription", TextProp(speaker), VT_BSTR, CP_UTF8,
         " szDescription: スピーカー (Realtek High Definition Audio)\n"},
        {L"szDescription", TextProp(speaker), VT_BSTR, 1252,
         " szDescription: スピーカー (Realtek High Definition Audio)\n"},
        {L"szOther", TextProp(L"caf\u00e9 \ud55c!"), VT_BSTR, 0, " szOther: caf? ?!\n"},
        {L"szOther", TextProp(L"caf\u00e9 \ud55c!"), VT_BSTR, CP_UTF8, " szOther: caf? ?!\n"},
        {L"szOther", TextProp(L"caf\u00e9 \ud55c!"), VT_BSTR, 1252, " szOther: caf? ?!\n"},
        // At most 511 bytes, cut between characters.
        {L"szAscii", TextProp(std::wstring(600, L'a')), VT_BSTR, 0, " szAscii: " + std::string(511, 'a') + "\n"},
        {L"szOdd", TextProp(L"a" + std::wstring(300, L'\u3042')), VT_BSTR, 0, " szOdd: a" + kana + "\n"},
        {L"szOdd", TextProp(L"a" + std::wstring(300, L'\u3042')), VT_BSTR, CP_UTF8, " szOdd: a" + kana + "\n"},
        {L"szEven", TextProp(L"aa" + std::wstring(300, L'\u3042')), VT_BSTR, 0,
         " szEven: aa" + kana.substr(0, 508) + "\n"},
        {L"szEven", TextProp(L"aa" + std::wstring(300, L'\u3042')), VT_BSTR, CP_UTF8,
         " szEven: aa" + kana.substr(0, 508) + "\n"},
    };
    for (const ReadRow& row : rows) {
        SCOPED_TRACE(row.Line.empty() ? "left out" : row.Line.substr(0, 40));
        Api.AnsiCodePage = row.CodePage;
        Container.Props.clear();
        if (row.Stored.Type != VT_EMPTY) Container.Props[row.Name] = row.Stored;
        const DxPropertyRow table[] = {{row.ReadAs, row.Name}};
        TSection section;
        WriteDeviceSection("DxDialog DirectX Infomation:\n", {true, {Info.ReadProperties(&Container, table, 1)}, true},
                           section);
        EXPECT_EQ(row.Line, SectionText(section, {" "}));
        // A file's cell is the same text, empty when the property is left out.
        const size_t value = row.Line.find(": ") + 2;
        EXPECT_EQ(row.Line.empty() ? "" : row.Line.substr(value, row.Line.size() - value - 1),
                  Info.ReadText(&Container, row.Name, row.ReadAs));
    }
}
