#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/MainDialog.h"
#include "info/WideText.h"
#include "support/Await.h"
#include "support/DialogDriver.h"
#include "support/DialogRun.h"
#include "support/TestSupport.h"
#include "view/CustomEdit.h"

namespace {

const std::vector<std::string> StartAndTitles = {
    "情報取得開始...\n",        "システムの情報を取得中...\n", "DirectXの情報を取得中...\n",
    "プロセスの情報を取得中...\n", "サービスの情報を取得中...\n", "ネットワークの情報を取得中...\n",
    "ドライブ情報を取得中...\n",
};

std::vector<std::string> ViewRows(HWND dialog)
{
    TCustomEdit* view = FindCustomEdit(GetDlgItem(dialog, IDC_VIEW));
    if (view == nullptr) return {};
    const std::list<std::string> lines = view->GetLines();
    return std::vector<std::string>(lines.begin(), lines.end());
}

// Rows with text: the view keeps an empty last row after a line feed.
size_t TextRows(const std::vector<std::string>& rows)
{
    return !rows.empty() && rows.back().empty() ? rows.size() - 1 : rows.size();
}

// The rows of the first pass: the start line and one title per collector started.
size_t FirstPassRows(const std::vector<std::string>& rows)
{
    size_t count = 0;
    while (count < rows.size() && count < StartAndTitles.size() && rows[count] == StartAndTitles[count]) ++count;
    return count;
}

::testing::AssertionResult PressStart(HWND dialog)
{
    ::testing::AssertionResult pressed = Press(dialog, IDC_START);
    if (!pressed) return pressed;
    return Await("Start to be disabled by its press", [&] { return !IsEnabled(dialog, IDC_START); }, WindowLimit);
}

::testing::AssertionResult AwaitSave(HWND dialog)
{
    return Await("Save to be enabled", [&] { return IsEnabled(dialog, IDC_SAVE); }, RunLimit, [&] {
        const std::vector<std::string> rows = ViewRows(dialog);
        return std::to_string(rows.size()) + " rows, the last \"" + (rows.empty() ? "" : rows.back()) + "\"";
    });
}

// What the dialog's exit did: the rows of the first pass just before it and
// right after it (the view lives until the dialog is destroyed), and Save.
struct TExitSeen {
    size_t RowsBefore = 0;
    size_t RowsAfter = 0;
    size_t AllRowsAfter = 0;
    bool SaveAfter = false;
    bool Seen = false;
};
TExitSeen ExitSeen;

INT_PTR CALLBACK RecordingExit(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    const bool exit = message == WM_COMMAND && LOWORD(wParam) == IDCANCEL && !ExitSeen.Seen;
    if (exit) ExitSeen.RowsBefore = FirstPassRows(ViewRows(dialog));
    const INT_PTR result = TMainDialog::Proc(dialog, message, wParam, lParam);
    if (exit) {
        const std::vector<std::string> rows = ViewRows(dialog);
        ExitSeen.RowsAfter = FirstPassRows(rows);
        ExitSeen.AllRowsAfter = TextRows(rows);
        ExitSeen.SaveAfter = IsEnabled(dialog, IDC_SAVE);
        ExitSeen.Seen = true;
    }
    return result;
}

// The clipboard's text in both forms, "" for a form it lacks.
struct TClipboardText {
    std::wstring Wide;
    std::string Narrow;
};

TClipboardText ClipboardText()
{
    TClipboardText text;
    if (!OpenClipboard(nullptr)) return text;
    if (HANDLE wide = GetClipboardData(CF_UNICODETEXT)) {
        text.Wide = static_cast<const wchar_t*>(GlobalLock(wide));
        GlobalUnlock(wide);
    }
    if (HANDLE narrow = GetClipboardData(CF_TEXT)) {
        text.Narrow = static_cast<const char*>(GlobalLock(narrow));
        GlobalUnlock(narrow);
    }
    CloseClipboard();
    return text;
}

void PutSentinel()
{
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 4 * sizeof(wchar_t));
    wcscpy(static_cast<wchar_t*>(GlobalLock(memory)), L"old");
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
}

// The view's context menu, opened as the keyboard opens it: its one item's
// text and state, then closed without a choice.
::testing::AssertionResult ContextMenuItem(HWND dialog, std::string& text, UINT& state, UINT& id)
{
    PostMessageA(dialog, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_VIEW)), MAKELPARAM(-1, -1));
    HWND popup = nullptr;
    ::testing::AssertionResult shown = Await("the context menu", [&] {
        popup = FindWindowExA(nullptr, nullptr, "#32768", nullptr);
        while (popup != nullptr && !IsWindowVisible(popup)) popup = FindWindowExA(nullptr, popup, "#32768", nullptr);
        return popup != nullptr;
    }, WindowLimit);
    if (!shown) return shown;
    HMENU menu = reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0));
    char item[64] = {};
    if (GetMenuItemCount(menu) != 1) return ::testing::AssertionFailure() << GetMenuItemCount(menu) << " items";
    GetMenuStringA(menu, 0, item, sizeof(item), MF_BYPOSITION);
    text = item;
    state = GetMenuState(menu, 0, MF_BYPOSITION);
    id = GetMenuItemID(menu, 0);
    // The menu's owner ends it.
    SendMessageA(dialog, WM_CANCELMODE, 0, 0);
    return Await("the context menu to close", [&] { return !IsWindowVisible(popup); }, WindowLimit);
}

}  // namespace

TEST(MainDialogTest, CopyPutsTheFinishedReportOnTheClipboard)
{
    std::string text;
    UINT before = 0, after = 0, id = 0;
    std::string report;
    TClipboardText beforeRun, copied, fromMenu;
    EXPECT_EQ(0, RunDialog([&](HWND dialog) {
                  HWND view = GetDlgItem(dialog, IDC_VIEW);
                  const WPARAM copy = MAKEWPARAM(IDC_VIEW, CEN_COPYALL);
                  ::testing::AssertionResult done = ContextMenuItem(dialog, text, before, id);
                  PutSentinel();
                  SendMessageA(dialog, WM_COMMAND, copy, reinterpret_cast<LPARAM>(view));
                  beforeRun = ClipboardText();
                  if (done) done = PressStart(dialog);
                  if (done) done = AwaitSave(dialog);
                  if (done) done = ContextMenuItem(dialog, text, after, id);
                  // The report is what the view shows below the start line and the titles
                  // (the closing section's too).
                  const std::vector<std::string> rows = ViewRows(dialog);
                  for (size_t row = StartAndTitles.size() + 1; row < rows.size(); ++row) report += rows[row];
                  SendMessageA(dialog, WM_COMMAND, copy, reinterpret_cast<LPARAM>(view));
                  copied = ClipboardText();
                  PutSentinel();
                  SendMessageA(dialog, WM_COMMAND, IDM_COPYALL, 0);
                  fromMenu = ClipboardText();
                  return done;
              }));
    EXPECT_EQ("すべてコピー", text);
    EXPECT_EQ(static_cast<UINT>(IDM_COPYALL), id);
    EXPECT_NE(0u, before & MF_GRAYED) << "no report before a finished run";
    EXPECT_EQ(0u, after & (MF_GRAYED | MF_DISABLED));
    EXPECT_EQ(L"old", beforeRun.Wide);
    ASSERT_NE(std::string::npos, report.find("Drive information: \n")) << "the view: " << report.size() << " bytes";
    EXPECT_TRUE(copied.Wide == WideText(report, 932)) << copied.Wide.size() << " characters; the report's text, converted from cp932";
    EXPECT_TRUE(copied.Narrow == report) << copied.Narrow.size() << " of " << report.size() << " bytes";
    EXPECT_TRUE(fromMenu.Wide == copied.Wide);
}

TEST(MainDialogTest, RunShowsTheStartLineTheTitlesThenTheSections)
{
    std::vector<std::string> rows;
    EXPECT_EQ(0, RunDialog([&](HWND dialog) {
                  ::testing::AssertionResult done = PressStart(dialog);
                  if (done) done = AwaitSave(dialog);
                  rows = ViewRows(dialog);
                  return done;
              }));
    ASSERT_GT(rows.size(), StartAndTitles.size());
    EXPECT_EQ(StartAndTitles, std::vector<std::string>(rows.begin(), rows.begin() + StartAndTitles.size()));
    bool drives = false;
    for (const std::string& row : rows) drives = drives || row == "Drive information: \n";
    EXPECT_TRUE(drives);
    EXPECT_EQ("", rows.back()) << "the report ends with a line feed";
}

TEST(MainDialogTest, ExitBeforeStartCollectsNothing)
{
    std::vector<std::string> rows;
    EXPECT_EQ(0, RunDialog([&](HWND dialog) {
                  rows = ViewRows(dialog);
                  return ::testing::AssertionSuccess();
              }));
    EXPECT_TRUE(rows.empty());
}

// Exit pressed as each row of the first pass appears, and during the second:
// the collector running then may finish, none starts after it, and a stopped
// run neither shows its sections nor enables Save.
TEST(MainDialogTest, ExitAtEachStepStartsNoFurtherCollector)
{
    for (size_t step = 1; step <= StartAndTitles.size() + 1; ++step) {
        ExitSeen = TExitSeen();
        EXPECT_EQ(0, RunDialog([&](HWND dialog) {
                      SetWindowLongPtrA(dialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(RecordingExit));
                      ::testing::AssertionResult reached = PressStart(dialog);
                      if (reached)
                          reached = Await("row " + std::to_string(step), [&] { return TextRows(ViewRows(dialog)) >= step; },
                                          RunLimit);
                      return reached;
                  }));
        ASSERT_TRUE(ExitSeen.Seen) << "step " << step;
        EXPECT_LE(ExitSeen.RowsAfter, ExitSeen.RowsBefore + 1)
            << "step " << step << ": collectors started after the exit";
        if (ExitSeen.RowsAfter < StartAndTitles.size()) {
            EXPECT_EQ(ExitSeen.RowsAfter, ExitSeen.AllRowsAfter) << "step " << step << ": sections of a stopped run";
            EXPECT_FALSE(ExitSeen.SaveAfter) << "step " << step << ": Save after a stopped run";
        }
    }
}
