#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "thread/Thread.h"
#include "view/TextRecorder.h"
#include "view/ViewWindow.h"

namespace {

SCROLLINFO ReadScrollBar(HWND window)
{
    SCROLLINFO info = {sizeof(info), SIF_ALL, -1, -1, 0xdeadbeef, -1, -1};
    GetScrollInfo(window, SB_VERT, &info);
    return info;
}

// 100 full rows and the open row, painted once so that the page size is known.
class CustomEditScrollTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string text;
        for (int i = 0; i < 100; ++i) text += "row " + std::to_string(i) + "\n";
        Window.AppendText(text);
        RecordPaint(Window.View());
        Window.View().UpdateScrollBar();
        Page = Window.View().GetVisibleLines();
        ASSERT_GT(Page, 2);
        ASSERT_LT(Page, 50);
        Window.Pump();
    }

    // Scrolls and tells whether the view repainted.
    bool ScrollRepaints(int code)
    {
        const int before = Window.Paints();
        Window.View().Scroll(code);
        Window.Pump();
        return Window.Paints() != before;
    }

    int Top() { return Window.View().GetTopLine(); }

    TViewWindow Window{300, 200};
    const int Rows = 101;
    int Page = 0;
};

}  // namespace

TEST_F(CustomEditScrollTest, ScrollBarCarriesRowsPageAndPosition)
{
    const SCROLLINFO info = ReadScrollBar(Window.Window());
    EXPECT_EQ(0, info.nMin);
    EXPECT_EQ(Rows, info.nMax);
    EXPECT_EQ(static_cast<UINT>(Page), info.nPage);
    EXPECT_EQ(0, info.nPos);
}

TEST_F(CustomEditScrollTest, LineUpAtTheFirstRowDoesNotRepaint)
{
    EXPECT_FALSE(ScrollRepaints(SB_LINEUP));
    EXPECT_EQ(0, Top());
}

TEST_F(CustomEditScrollTest, PageUpAtTheFirstRowRepaintsWithoutMoving)
{
    EXPECT_TRUE(ScrollRepaints(SB_PAGEUP));
    EXPECT_EQ(0, Top());
}

TEST_F(CustomEditScrollTest, LineDownAndUpMoveOneRow)
{
    EXPECT_TRUE(ScrollRepaints(SB_LINEDOWN));
    EXPECT_EQ(1, Top());
    EXPECT_EQ(1, ReadScrollBar(Window.Window()).nPos);
    EXPECT_TRUE(ScrollRepaints(SB_LINEUP));
    EXPECT_EQ(0, Top());
}

TEST_F(CustomEditScrollTest, PageDownStopsAtRowsMinusPagePlusOne)
{
    EXPECT_TRUE(ScrollRepaints(SB_PAGEDOWN));
    EXPECT_EQ(Page, Top());
    for (int i = 0; i < 20; ++i) EXPECT_TRUE(ScrollRepaints(SB_PAGEDOWN)) << "page-down always repaints";
    EXPECT_EQ(Rows - Page + 1, Top()) << "page " << Page;
    EXPECT_EQ(Rows - Page + 1, ReadScrollBar(Window.Window()).nPos);

    // At the end a line further is refused and does not repaint.
    EXPECT_FALSE(ScrollRepaints(SB_LINEDOWN));
    EXPECT_EQ(Rows - Page + 1, Top());

    EXPECT_TRUE(ScrollRepaints(SB_PAGEUP));
    EXPECT_EQ(Rows - 2 * Page + 1, Top());
}

TEST_F(CustomEditScrollTest, ThumbTrackToTheShownRowDoesNotRepaint)
{
    ScrollRepaints(SB_LINEDOWN);
    ScrollRepaints(SB_LINEDOWN);
    // Outside a drag the track position is the current position.
    ASSERT_EQ(2, ReadScrollBar(Window.Window()).nTrackPos);
    EXPECT_FALSE(ScrollRepaints(SB_THUMBTRACK));
    EXPECT_EQ(2, Top());
    EXPECT_TRUE(ScrollRepaints(SB_THUMBPOSITION));
    EXPECT_EQ(2, Top());
}

TEST_F(CustomEditScrollTest, TopAndBottomRepaintOnlyWhenMoving)
{
    ScrollRepaints(SB_LINEDOWN);
    // Each step from where the one before left the view.
    const struct {
        int Code;
        int Top;
        bool Repaints;
    } steps[] = {
        {SB_BOTTOM, Rows - Page + 1, true},
        {SB_BOTTOM, Rows - Page + 1, false},
        {SB_TOP, 0, true},
        {SB_TOP, 0, false},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(testing::Message() << "code " << step.Code << ", page " << Page);
        EXPECT_EQ(step.Repaints, ScrollRepaints(step.Code));
        EXPECT_EQ(step.Top, Top());
        EXPECT_EQ(step.Top, ReadScrollBar(Window.Window()).nPos);
    }
}

TEST_F(CustomEditScrollTest, OtherCodesChangeNothing)
{
    ScrollRepaints(SB_LINEDOWN);
    for (int code : {SB_ENDSCROLL, 99}) {
        EXPECT_FALSE(ScrollRepaints(code)) << "code " << code;
        EXPECT_EQ(1, Top()) << "code " << code;
    }
}

TEST_F(CustomEditScrollTest, WindowMessageScrolls)
{
    SendMessageA(Window.Window(), WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    EXPECT_EQ(1, Top());
    SendMessageA(Window.Window(), WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 1234), 0);
    EXPECT_EQ(1 + Page, Top()) << "only the low word is the code";
}

namespace {

// An expected top line: Lines + Pages * page, so Rows + 1 and -1 are the last top line.
struct TTop {
    int Lines;
    int Pages;
};

// Restores the wheel setting the steps change.
class CustomEditWheelTest : public CustomEditScrollTest {
protected:
    void SetUp() override
    {
        CustomEditScrollTest::SetUp();
        ASSERT_TRUE(SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &Original, 0)) << GetLastError();
        Saved = true;
    }
    void TearDown() override
    {
        if (Saved) SystemParametersInfoA(SPI_SETWHEELSCROLLLINES, Original, nullptr, 0);
    }

    UINT Original = 0;
    bool Saved = false;
};

}  // namespace

TEST_F(CustomEditWheelTest, ScrollsBySettingAndAddsUpPartsOfANotch)
{
    // Each step from where the one before left the view; up is positive.
    const struct {
        UINT Setting;
        int Delta;
        TTop Top;
        int Paints;
    } steps[] = {
        {3, -120, {3, 0}, 1},
        {3, 120, {0, 0}, 1},
        {3, 120, {0, 0}, 0},
        {3, -40, {0, 0}, 0},
        {3, -40, {0, 0}, 0},
        {3, -40, {3, 0}, 1},
        {3, -80, {3, 0}, 0},
        {3, 40, {3, 0}, 0},  // turning back drops the -80
        {3, -80, {3, 0}, 0},
        {3, -40, {6, 0}, 1},
        {1, -240, {8, 0}, 1},
        {0, -120, {8, 0}, 0},
        {WHEEL_PAGESCROLL, -120, {8, 1}, 1},
        {WHEEL_PAGESCROLL, 120, {8, 0}, 1},
        {3, -120 * 50, {Rows + 1, -1}, 1},
        {3, -120, {Rows + 1, -1}, 0},
    };
    int index = 0;
    for (const auto& step : steps) {
        SCOPED_TRACE(testing::Message() << "step " << index++ << ", page " << Page);
        if (!SystemParametersInfoA(SPI_SETWHEELSCROLLLINES, step.Setting, nullptr, 0))
            GTEST_SKIP() << "the wheel setting " << step.Setting << " cannot be set: error " << GetLastError();
        const int before = Window.Paints();
        EXPECT_EQ(0, SendMessageA(Window.Window(), WM_MOUSEWHEEL, MAKEWPARAM(0, step.Delta), MAKELPARAM(50, 50)));
        Window.Pump();
        EXPECT_EQ(step.Paints, Window.Paints() - before);
        const int top = step.Top.Lines + step.Top.Pages * Page;
        EXPECT_EQ(top, Top());
        EXPECT_EQ(top, ReadScrollBar(Window.Window()).nPos);
    }
}

TEST_F(CustomEditScrollTest, KeysScroll)
{
    const struct {
        WPARAM Key;
        TTop Top;
    } steps[] = {
        {VK_NEXT, {0, 1}}, {VK_DOWN, {1, 1}}, {VK_UP, {0, 1}}, {VK_PRIOR, {0, 0}},
        {VK_END, {Rows + 1, -1}}, {VK_UP, {Rows, -1}}, {VK_HOME, {0, 0}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(testing::Message() << "key " << step.Key << ", page " << Page);
        EXPECT_EQ(0, SendMessageA(Window.Window(), WM_KEYDOWN, step.Key, 1));
        EXPECT_EQ(step.Top.Lines + step.Top.Pages * Page, Top());
    }
}

TEST(CustomEditScrollLimitTest, PositionNeverPassesTheLastRow)
{
    // Never painted: the page is 0, so line-down alone would reach the row count.
    TViewWindow window;
    window.AppendText("a\nb\n");
    for (int i = 0; i < 10; ++i) window.View().Scroll(SB_LINEDOWN);
    EXPECT_EQ(2, window.View().GetTopLine());
    window.View().Scroll(SB_PAGEDOWN);
    EXPECT_EQ(2, window.View().GetTopLine());
    const auto drawn = RecordPaint(window.View());
    EXPECT_TRUE(drawn.empty()) << "the last row is the empty open row";

    // Rows removed under a scrolled view: paint draws nothing past the end.
    window.View().Clear();
    window.AppendText("only\n");
    EXPECT_LE(window.View().GetTopLine(), 1);
    for (const auto& text : RecordPaint(window.View())) EXPECT_EQ("only", text.Text);
}

namespace {

class TAppendingThread : public TThread {
public:
    TAppendingThread(TCustomEdit& view, int rows) : View(view), RowCount(rows) {}
    int Execute() override
    {
        for (int i = 0; i < RowCount; ++i) {
            std::string text = "line " + std::to_string(i) + "\r\n";
            View.Append(text);
            if (i % 50 == 0) View.Refresh();
        }
        View.Refresh();
        return 0;
    }
    TCustomEdit& View;
    int RowCount;
};

}  // namespace

TEST(CustomEditConcurrencyTest, WorkerAppendsWhileTheWindowPaintsAndScrolls)
{
    TViewWindow window;
    const int rows = 1500;
    TAppendingThread worker(window.View(), rows);
    ASSERT_TRUE(worker.Create(false));
    int step = 0;
    while (!worker.IsFinished()) {
        window.Pump();
        const int codes[] = {SB_LINEDOWN, SB_PAGEDOWN, SB_LINEUP, SB_PAGEUP, SB_THUMBPOSITION};
        window.View().Scroll(codes[step++ % 5]);
        if (step % 7 == 0) RecordPaint(window.View());
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
    worker.WaitFor();
    window.Pump();

    const auto lines = window.View().GetLines();
    ASSERT_EQ(static_cast<size_t>(rows + 1), lines.size());
    int i = 0;
    for (const std::string& row : lines) {
        if (i == rows) {
            EXPECT_EQ("", row);
            break;
        }
        ASSERT_EQ("line " + std::to_string(i) + "\n", row);
        ++i;
    }
    EXPECT_GT(window.Paints(), 0);
    const int top = window.View().GetTopLine();
    EXPECT_GE(top, 0);
    EXPECT_LE(top, rows);
}
