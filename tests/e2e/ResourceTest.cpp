#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "e2e/Envcheck.h"

namespace {

// Reads a DLGTEMPLATEEX and its items field by field.
class TTemplateReader {
public:
    explicit TTemplateReader(const BYTE* data) : At(data) {}
    WORD Word() { return Take<WORD>(); }
    DWORD Dword() { return Take<DWORD>(); }
    short Short() { return Take<short>(); }
    BYTE Byte() { return Take<BYTE>(); }
    // A string or an ordinal (0xFFFF and a number, shown as "#n").
    std::string Text()
    {
        const auto* wide = reinterpret_cast<const WCHAR*>(At);
        if (wide[0] == 0xFFFF) {
            At += 4;
            return "#" + std::to_string(wide[1]);
        }
        const int length = lstrlenW(wide);
        At += (length + 1) * 2;
        char narrow[2048] = {};
        WideCharToMultiByte(932, 0, wide, length, narrow, sizeof(narrow) - 1, nullptr, nullptr);
        return narrow;
    }
    void AlignToDword(const BYTE* base)
    {
        while ((At - base) % 4 != 0) ++At;
    }
    const BYTE* Position() const { return At; }

private:
    template <typename T>
    T Take()
    {
        T value;
        memcpy(&value, At, sizeof(T));
        At += sizeof(T);
        return value;
    }
    const BYTE* At;
};

class ResourceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Module = LoadLibraryExA(TEnvcheck::ExecutablePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(nullptr, Module) << TEnvcheck::ExecutablePath() << " error " << GetLastError();
    }
    void TearDown() override
    {
        if (Module != nullptr) FreeLibrary(Module);
    }
    const BYTE* Load(LPCSTR type, LPCSTR name, DWORD* size = nullptr)
    {
        HRSRC found = FindResourceExA(Module, type, name, MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
        if (found == nullptr) return nullptr;
        if (size != nullptr) *size = SizeofResource(Module, found);
        return static_cast<const BYTE*>(LockResource(LoadResource(Module, found)));
    }
    HMODULE Module = nullptr;
};

}  // namespace

TEST_F(ResourceTest, DialogTemplateIsExactlyAsDesigned)
{
    const BYTE* base = Load(RT_DIALOG, MAKEINTRESOURCEA(101));
    ASSERT_NE(nullptr, base) << "dialog 101 in the Japanese language";
    TTemplateReader reader(base);
    EXPECT_EQ(1, reader.Word());
    EXPECT_EQ(0xFFFF, reader.Word());
    EXPECT_EQ(0u, reader.Dword());
    EXPECT_EQ(0x00020000u, reader.Dword()) << "extended style";
    EXPECT_EQ(0x80C808C0u, reader.Dword()) << "style";
    const WORD items = reader.Word();
    EXPECT_EQ(5, items);
    EXPECT_EQ(0, reader.Short());
    EXPECT_EQ(0, reader.Short());
    EXPECT_EQ(442, reader.Short());
    EXPECT_EQ(261, reader.Short());
    EXPECT_EQ("", reader.Text()) << "menu";
    EXPECT_EQ("", reader.Text()) << "class";
    EXPECT_EQ("環境チェック  Version 20120508", reader.Text());
    EXPECT_EQ(9, reader.Word());
    EXPECT_EQ(400, reader.Word());
    EXPECT_EQ(0, reader.Byte());
    EXPECT_EQ(128, reader.Byte());
    EXPECT_EQ("ＭＳ ゴシック", reader.Text());

    struct TItem {
        DWORD Id;
        const char* Class;
        const char* Text;
        DWORD Style;
        short X, Y, Width, Height;
    };
    const char* const notice =
        "現在お使いのコンピューターのシステム情報を取得します。\n表示される情報の中には個人情報を含んでおります。\n"
        "この状態では情報を自動的に送信するようなことはありません。\n\n"
        "株式会社ハルベック『Dunmarrow』運営チーム宛に、サポートを受けるために\nシステム情報をお送りいただく場合には、\n"
        "表示されたシステム情報を送信することに「同意された」とみなします。\n"
        "また、情報をサポートの目的以外で使用することはありません。";
    const TItem expected[] = {
        {1001, "#128", "情報の保存", 0x58010001, 262, 240, 86, 14},
        {2, "#128", "終了", 0x50010000, 352, 240, 83, 14},
        {1003, "CustomEdit", "カスタムエディットコントロール", 0x50A00000, 7, 90, 428, 142},
        {1004, "#128", "開始", 0x50010000, 7, 241, 78, 14},
        {1005, "#130", notice, 0x50020000, 21, 7, 414, 72},
    };
    for (int i = 0; i < items && i < 5; ++i) {
        const TItem& item = expected[i];
        reader.AlignToDword(base);
        EXPECT_EQ(0u, reader.Dword()) << "help id, item " << i;
        EXPECT_EQ(0u, reader.Dword()) << "extended style, item " << i;
        EXPECT_EQ(item.Style, reader.Dword()) << "style, item " << i;
        EXPECT_EQ(item.X, reader.Short()) << "item " << i;
        EXPECT_EQ(item.Y, reader.Short()) << "item " << i;
        EXPECT_EQ(item.Width, reader.Short()) << "item " << i;
        EXPECT_EQ(item.Height, reader.Short()) << "item " << i;
        EXPECT_EQ(item.Id, reader.Dword()) << "item " << i;
        const std::string className = reader.Text();
        // windres writes the predefined classes as names or as ordinals.
        const bool button = className == "#128" || className == "BUTTON" || className == "Button";
        const bool text = className == "#130" || className == "STATIC" || className == "Static";
        // and upper-cases other class names, which Windows compares without case.
        EXPECT_TRUE(lstrcmpiA(item.Class, className.c_str()) == 0 || (std::string(item.Class) == "#128" && button) ||
                    (std::string(item.Class) == "#130" && text))
            << "class " << className << ", item " << i;
        EXPECT_EQ(item.Text, reader.Text()) << "item " << i;
        EXPECT_EQ(0, reader.Word()) << "extra bytes, item " << i;
    }
}

TEST_F(ResourceTest, IconGroupHasSmallAndLargeImages)
{
    DWORD size = 0;
    const BYTE* group = Load(RT_GROUP_ICON, MAKEINTRESOURCEA(102), &size);
    ASSERT_NE(nullptr, group);
    ASSERT_GE(size, 6u);
    const WORD count = *reinterpret_cast<const WORD*>(group + 4);
    ASSERT_EQ(size, 6u + 14u * count);
    bool small = false, large = false;
    for (WORD i = 0; i < count; ++i) {
        const BYTE width = group[6 + 14 * i];
        small = small || width == 16;
        large = large || width == 32;
    }
    EXPECT_TRUE(small);
    EXPECT_TRUE(large);
}

TEST_F(ResourceTest, ManifestRunsAsTheInvoker)
{
    DWORD size = 0;
    const BYTE* manifest = Load(MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1), &size);
    ASSERT_NE(nullptr, manifest);
    const std::string text(reinterpret_cast<const char*>(manifest), size);
    EXPECT_NE(std::string::npos, text.find("<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>"))
        << text;
}
