#include <gtest/gtest.h>

#include <list>
#include <string>

#include "view/CustomEdit.h"
#include "view/ViewWindow.h"

namespace {

using Rows = std::list<std::string>;

std::string Show(const Rows& rows)
{
    std::string shown;
    for (const std::string& row : rows) {
        shown += '[';
        for (char c : row) shown += c == '\n' ? std::string("\\n") : c == '\r' ? std::string("\\r") : std::string(1, c);
        shown += ']';
    }
    return shown;
}

#define EXPECT_ROWS(expected, view) EXPECT_EQ(Show(expected), Show((view).GetLines()))

}  // namespace

TEST(CustomEditAppendTest, SplitsAtLineFeedsAndContinuesTheOpenRow)
{
    TViewWindow window;
    TCustomEdit& view = window.View();
    window.AppendText("A\nB");
    EXPECT_ROWS((Rows{"A\n", "B"}), view);
    window.AppendText("Z\n");
    EXPECT_ROWS((Rows{"A\n", "BZ\n", ""}), view);
    window.AppendText("\n\nC\nD\n");
    EXPECT_ROWS((Rows{"A\n", "BZ\n", "\n", "\n", "C\n", "D\n", ""}), view);
}

TEST(CustomEditAppendTest, TextWithoutLineFeedOpensAndExtendsOneRow)
{
    TViewWindow window;
    window.AppendText("X");
    EXPECT_ROWS((Rows{"X"}), window.View());
    window.AppendText("Y\n");
    EXPECT_ROWS((Rows{"XY\n", ""}), window.View());
}

TEST(CustomEditAppendTest, EmptyTextOnAnEmptyViewOpensAnEmptyRow)
{
    TViewWindow window;
    window.AppendText("");
    EXPECT_ROWS((Rows{""}), window.View());
    window.AppendText("");
    EXPECT_ROWS((Rows{""}), window.View());
}

TEST(CustomEditAppendTest, CarriageReturnsAreNotShownAndTheCallersTextStays)
{
    TViewWindow window;
    window.AppendText("A");
    const std::string text = "\r\n";
    window.View().Append(text);
    EXPECT_EQ("\r\n", text);
    EXPECT_ROWS((Rows{"A\n", ""}), window.View());

    const std::string mixed = "\r\r1\r\n2\r\r\n\r3\r";
    window.View().Append(mixed);
    EXPECT_EQ("\r\r1\r\n2\r\r\n\r3\r", mixed);
    EXPECT_ROWS((Rows{"A\n", "1\n", "2\n", "3"}), window.View());
}

TEST(CustomEditAppendTest, JapaneseTextIsNeverSplitInsideACharacter)
{
    TViewWindow window;
    // cp932 second bytes include 0x5c and 0x40..0x7e, never 0x0a or 0x0d.
    const std::string text = "情報取得開始...\nソフト表示\n";
    window.AppendText(text);
    EXPECT_ROWS((Rows{"情報取得開始...\n", "ソフト表示\n", ""}), window.View());
}

TEST(CustomEditAppendTest, UpdatesTheScrollRangeToTheRowCount)
{
    TViewWindow window;
    window.AppendText("1\n2\n3\n");
    SCROLLINFO info = {sizeof(info), SIF_ALL, -1, -1, 0xdeadbeef, -1, -1};
    ASSERT_TRUE(GetScrollInfo(window.Window(), SB_VERT, &info));
    EXPECT_EQ(0, info.nMin);
    EXPECT_EQ(4, info.nMax) << "three rows and the open row";
    EXPECT_EQ(0u, info.nPage) << "nothing painted yet";
    EXPECT_EQ(0, info.nPos);
    EXPECT_EQ(0, window.Paints()) << "appending does not repaint";
}

TEST(CustomEditClearTest, EmptiesTheRowsAndKeepsTheScrollPosition)
{
    TViewWindow window;
    for (int i = 0; i < 50; ++i) window.AppendText("row\n");
    window.View().Scroll(SB_LINEDOWN);
    window.View().Scroll(SB_LINEDOWN);
    ASSERT_EQ(2, window.View().GetTopLine());
    window.Pump();
    const int paints = window.Paints();

    window.View().Clear();
    EXPECT_TRUE(window.View().GetLines().empty());
    EXPECT_EQ(2, window.View().GetTopLine());
    SCROLLINFO info = {sizeof(info), SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(window.Window(), SB_VERT, &info);
    EXPECT_EQ(51, info.nMax) << "the scroll bar is not updated by Clear";
    window.Pump();
    EXPECT_EQ(paints, window.Paints()) << "Clear does not repaint";
}

TEST(CustomEditWindowTest, AttachKeepsAnExistingEntry)
{
    TViewWindow window;
    TCustomEdit other;
    other.Attach(window.Window());
    EXPECT_EQ(&window.View(), FindCustomEdit(window.Window()));
    EXPECT_EQ(window.Window(), other.GetWindow());
}

TEST(CustomEditWindowTest, DestroyingTheWindowRemovesAndDeletesItsView)
{
    HWND handle;
    {
        TViewWindow window;
        handle = window.Window();
        EXPECT_NE(nullptr, FindCustomEdit(handle));
    }
    EXPECT_EQ(nullptr, FindCustomEdit(handle));
}

TEST(CustomEditWindowTest, WindowWithoutViewGetsDefaultProcessing)
{
    RegisterCustomEdit(GetModuleHandleA(nullptr));
    HWND bare = CreateWindowExA(0, "CustomEdit", "text", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, bare);
    char buffer[16] = {};
    EXPECT_EQ(4, GetWindowTextA(bare, buffer, sizeof(buffer)));
    EXPECT_STREQ("text", buffer);
    EXPECT_EQ(0, SendMessageA(bare, WM_VSCROLL, SB_LINEDOWN, 0));
    EXPECT_TRUE(DestroyWindow(bare));
}

TEST(CustomEditWindowTest, ClassIsRegisteredAsDescribed)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterCustomEdit(instance);
    // Registered wide: asked as ANSI, the procedure would be a converting stand-in.
    WNDCLASSW info = {};
    ASSERT_TRUE(GetClassInfoW(instance, L"CustomEdit", &info));
    EXPECT_EQ(static_cast<UINT>(CS_HREDRAW | CS_VREDRAW), info.style);
    EXPECT_EQ(&CustomEditProc, info.lpfnWndProc);
    EXPECT_EQ(0, info.cbClsExtra);
    EXPECT_EQ(0, info.cbWndExtra);
    EXPECT_EQ(reinterpret_cast<HBRUSH>(COLOR_MENU + 1), info.hbrBackground);
    EXPECT_EQ(LoadCursorA(nullptr, IDC_ARROW), info.hCursor);
    EXPECT_EQ(nullptr, info.hIcon);
}
