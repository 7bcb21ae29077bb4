#include <gtest/gtest.h>

#include <string>

#include "fakes/directx/FakeDxDiag.h"
#include "info/directx/DirectXInfo.h"

namespace {

class PropertyReaderTest : public ::testing::Test {
protected:
    PropertyReaderTest() : Container(Api), Info(Api) {}
    void TearDown() override { EXPECT_EQ(0, Api.LiveStrings) << "a fetched BSTR stayed allocated"; }

    std::string Last() const { return Info.GetLines().empty() ? "(none)" : Info.GetLines().back(); }

    TFakeApi Api;
    TFakeContainer Container;
    TDirectXInfo Info;
};

}  // namespace

TEST_F(PropertyReaderTest, NumbersKeepTheirOwnSignedness)
{
    Container.Set(L"nD3DDebugLevel", VT_I4, -1);
    EXPECT_TRUE(Info.PrintProp<VT_I4>(&Container, L"nD3DDebugLevel"));
    EXPECT_EQ(" nD3DDebugLevel: -1\n", Last());
    EXPECT_FALSE(Info.PrintProp<VT_UI4>(&Container, L"nD3DDebugLevel")) << "an I4 is not a UI4";
    EXPECT_EQ(1u, Info.GetLines().size());

    Container.Set(L"dwFlags", VT_UI4, -1);
    Info.PrintProp<VT_UI4>(&Container, L"dwFlags");
    EXPECT_EQ(" dwFlags: 4294967295\n", Last());
    std::string text = "old";
    EXPECT_EQ("-1", Info.GetPropText<VT_I4>(&Container, L"nD3DDebugLevel", text));
}

TEST_F(PropertyReaderTest, AnyNonZeroBooleanIsTrue)
{
    Container.Set(L"bDebug", VT_BOOL, 1);
    Container.Set(L"bBeta", VT_BOOL, 0);
    Info.PrintProp<VT_BOOL>(&Container, L"bDebug");
    EXPECT_EQ(" bDebug: true\n", Last());
    Info.PrintProp<VT_BOOL>(&Container, L"bBeta");
    EXPECT_EQ(" bBeta: false\n", Last());
    std::string text;
    EXPECT_EQ("true", Info.GetPropText<VT_BOOL>(&Container, L"bDebug", text));
}

TEST_F(PropertyReaderTest, EmptyAndNullStringsEndAfterTheColon)
{
    Container.SetText(L"szNotesEnglish", L"");
    Container.SetNullText(L"szRegHelpText");
    Info.PrintProp<VT_BSTR>(&Container, L"szNotesEnglish");
    EXPECT_EQ(" szNotesEnglish: \n", Last());
    Info.PrintProp<VT_BSTR>(&Container, L"szRegHelpText");
    EXPECT_EQ(" szRegHelpText: \n", Last());
}

TEST_F(PropertyReaderTest, MissingOrMistypedPropertiesGiveNothing)
{
    Container.Set(L"szName", VT_I4, 7);
    Container.Set(L"byRef", VT_BSTR | VT_BYREF, 0);
    EXPECT_FALSE(Info.PrintProp<VT_BSTR>(&Container, L"szName"));
    EXPECT_FALSE(Info.PrintProp<VT_BSTR>(&Container, L"byRef"));
    EXPECT_FALSE(Info.PrintProp<VT_UI4>(&Container, L"dwMissing"));
    EXPECT_TRUE(Info.GetLines().empty()) << Last();
    std::string text = "held text";
    EXPECT_EQ("", Info.GetPropText<VT_BSTR>(&Container, L"szName", text));
    text = "held text";
    EXPECT_EQ("", Info.GetPropText<VT_BOOL>(&Container, L"bMissing", text));
    EXPECT_EQ("", text);
}

// The report is cp932 whatever the system's ANSI code page: 0 is this
// process's (932), then a UTF-8 and a Western system.
TEST_F(PropertyReaderTest, TextsAreCp932OnAnyAnsiCodePage)
{
    for (UINT codePage : {0u, static_cast<UINT>(CP_UTF8), 1252u}) {
        SCOPED_TRACE(codePage);
        Api.AnsiCodePage = codePage;
        Container.SetText(L"szDescription", L"スピーカー (Realtek High Definition Audio)");
        Info.PrintProp<VT_BSTR>(&Container, L"szDescription");
        EXPECT_EQ(" szDescription: スピーカー (Realtek High Definition Audio)\n", Last());
        // Outside cp932: a question mark each, never a look-alike.
        Container.SetText(L"szOther", L"caf\u00e9 \ud55c!");
        std::string text;
        EXPECT_EQ("caf? ?!", Info.GetPropText<VT_BSTR>(&Container, L"szOther", text));
    }
}

TEST_F(PropertyReaderTest, LongTextsAreCutAt511BytesBetweenCharacters)
{
    std::string text;
    Container.SetText(L"szAscii", std::wstring(600, L'a'));
    EXPECT_EQ(std::string(511, 'a'), Info.GetPropText<VT_BSTR>(&Container, L"szAscii", text));
    // "あ" is two bytes: 1 + 255 * 2 = 511 fits, 2 + 254 * 2 = 510 leaves no room for a half.
    std::string kana;
    for (int i = 0; i < 255; ++i) kana += "あ";
    for (UINT codePage : {0u, static_cast<UINT>(CP_UTF8)}) {
        SCOPED_TRACE(codePage);
        Api.AnsiCodePage = codePage;
        Container.SetText(L"szOdd", L"a" + std::wstring(300, L'\u3042'));
        EXPECT_EQ("a" + kana, Info.GetPropText<VT_BSTR>(&Container, L"szOdd", text));
        Container.SetText(L"szEven", L"aa" + std::wstring(300, L'\u3042'));
        EXPECT_EQ("aa" + kana.substr(0, 508), Info.GetPropText<VT_BSTR>(&Container, L"szEven", text));
    }
}
