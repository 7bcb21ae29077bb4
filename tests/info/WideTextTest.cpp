#include <gtest/gtest.h>

#include <string>

#include "info/BoundedText.h"
#include "info/WideText.h"

namespace {

std::string Hex(const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (unsigned char c : bytes) text += std::string(" ") + digits[c >> 4] + digits[c & 15];
    return text;
}

struct TCp932Case {
    const char* What;
    std::string Source;
    UINT CodePage;
    std::string Expected;
};

}  // namespace

// Platform texts of a UTF-8 or a Western system become the report's cp932.
TEST(Cp932TextTest, ConvertsFromTheSourceCodePage)
{
    const TCp932Case cases[] = {
        {"empty", "", CP_UTF8, ""},
        {"ASCII", "C:\\Games\\run.exe", CP_UTF8, "C:\\Games\\run.exe"},
        {"UTF-8 kana", "\xe3\x83\x86\xe3\x82\xb9\xe3\x83\x88", CP_UTF8, "テスト"},
        {"UTF-8 half-width kana", "\xef\xbd\xb1", CP_UTF8, "\xb1"},
        {"UTF-8 outside cp932, no look-alike", "Zo\xc3\xab", CP_UTF8, "Zo?"},
        {"UTF-8 outside the BMP", "a\xf0\x9f\x98\x80" "b", CP_UTF8, "a??b"},
        {"UTF-8 invalid byte", "a\xff" "b", CP_UTF8, "a?b"},
        {"UTF-8 cut inside a character", BoundedText("a\xe3\x83\x86", 3), CP_UTF8, "a?"},
        {"1252 letters cp932 lacks", "caf\xe9 \x80", 1252, "caf? ?"},
        {"1252 signs cp932 has grow to two bytes", "\xd7\xb1\xa7", 1252, "×±§"},
        {"cp932 stays byte for byte, even a stray lead byte", "テスト\x82", 932, "テスト\x82"},
    };
    for (const TCp932Case& c : cases)
        EXPECT_EQ(Hex(c.Expected), Hex(Cp932Text(c.Source, c.CodePage))) << c.What;
}

// Under the Japanese code page the tests run in, a platform text is its bytes.
TEST(Cp932TextTest, PlatformTextUnderCodePage932IsTheBufferUpToItsEnd)
{
    ASSERT_EQ(932u, GetACP()) << "the suite runs as a Japanese system";
    const char unterminated[4] = {'a', '\x83', 'e', 'b'};
    EXPECT_EQ("a\x83" "eb", PlatformText(unterminated));
    EXPECT_EQ("a\x83", PlatformText(unterminated, 2));
}
