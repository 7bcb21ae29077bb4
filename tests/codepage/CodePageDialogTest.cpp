#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/Collectors.h"
#include "app/resource.h"
#include "info/WideText.h"
#include "support/DialogRun.h"
#include "view/TextRecorder.h"
#include "view/ViewWindow.h"

// This suite runs as a Western system: the ANSI code page is 1252, so any
// text that passed through it would come out as '?' or other letters.

TEST(CodePageDialogTest, ResourceTextsReachTheControlsAsWritten)
{
    ASSERT_EQ(1252u, GetACP()) << "the suite runs as a Western system";
    EXPECT_EQ(0, RunDialog([](HWND dialog) -> ::testing::AssertionResult {
        const struct {
            int Id;
            std::wstring Text;
        } texts[] = {
            {0, L"環境チェック  Version 20120508"},
            {IDC_SAVE, L"情報の保存"},
            {IDCANCEL, L"終了"},
            {IDC_START, L"開始"},
        };
        for (const auto& expected : texts) {
            wchar_t text[256] = {};
            GetWindowTextW(expected.Id == 0 ? dialog : GetDlgItem(dialog, expected.Id), text, 256);
            if (expected.Text != text)
                return ::testing::AssertionFailure() << "control " << expected.Id << ": " << NarrowText(text, 932);
        }
        wchar_t notice[1024] = {};
        GetWindowTextW(GetDlgItem(dialog, IDC_NOTICE), notice, 1024);
        if (std::wstring(notice).find(L"株式会社ハルベック『Dunmarrow』運営チーム宛に") == std::wstring::npos)
            return ::testing::AssertionFailure() << "the notice: " << NarrowText(notice, 932);
        return ::testing::AssertionSuccess();
    }));
}

TEST(CodePageDialogTest, ViewDrawsItsCp932RowsAsWrittenInItsOwnFont)
{
    ASSERT_EQ(1252u, GetACP()) << "the suite runs as a Western system";
    TViewWindow window(600, 400);
    window.AppendText("情報取得開始...\n");
    const TCollectors collectors;
    for (const TBaseInfo* collector : collectors.List()) window.AppendText(collector->GetTitle());
    window.AppendText("| PID | イメージ名 | ｶﾅ |\n");

    std::vector<std::wstring> faces;
    const std::vector<TDrawnText> drawn = RecordPaint(window.View(), &faces);
    std::vector<std::string> rows;
    for (const std::string& row : window.View().GetLines())
        if (!row.empty()) rows.push_back(row.substr(0, row.size() - 1));
    std::vector<std::string> texts;
    for (const TDrawnText& text : drawn) texts.push_back(text.Text);
    EXPECT_EQ(rows, texts);
    EXPECT_EQ(9u, texts.size());
    EXPECT_EQ(std::vector<std::wstring>{L"MS ゴシック"}, faces) << "the fixed-pitch face, named as it is";
}
