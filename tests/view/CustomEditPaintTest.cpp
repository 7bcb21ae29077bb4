#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "view/TextRecorder.h"
#include "view/ViewWindow.h"

namespace {

int WindowHeight(HWND window)
{
    RECT bounds = {};
    GetWindowRect(window, &bounds);
    return bounds.bottom - bounds.top;
}

bool ScrollBarDisabled(HWND window)
{
    SCROLLBARINFO info = {};
    info.cbSize = sizeof(info);
    GetScrollBarInfo(window, OBJID_VSCROLL, &info);
    // Both arrows disabled: what ESB_DISABLE_BOTH does.
    return (info.rgstate[1] & STATE_SYSTEM_UNAVAILABLE) != 0 && (info.rgstate[5] & STATE_SYSTEM_UNAVAILABLE) != 0;
}

std::string Numbered(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i) text += "row " + std::to_string(i) + "\n";
    return text;
}

}  // namespace

TEST(CustomEditPaintTest, EmptyViewDrawsNoTextAndLeavesTheScrollBar)
{
    TViewWindow window;
    const bool disabledBefore = ScrollBarDisabled(window.Window());
    EXPECT_TRUE(RecordPaint(window.View()).empty());
    EXPECT_EQ(0, window.View().GetVisibleLines());
    EXPECT_EQ(0, window.View().GetLineHeight());
    EXPECT_EQ(disabledBefore, ScrollBarDisabled(window.Window()));
}

TEST(CustomEditPaintTest, MeasuresTheFirstDrawnRow)
{
    TViewWindow window;
    window.AppendText("情報取得開始...\n");
    RecordPaint(window.View());
    const int height = WindowHeight(window.Window());
    const int lineHeight = window.View().GetLineHeight();
    EXPECT_GE(lineHeight, 10) << "a 12-pixel font plus one";
    EXPECT_LE(lineHeight, 20);
    EXPECT_EQ(height / lineHeight, window.View().GetVisibleLines()) << "height " << height;
}

TEST(CustomEditPaintTest, DrawsRowsWithoutTheirLineFeedsFromTheTop)
{
    TViewWindow window;
    window.AppendText("A\n情報\nopen");
    const auto drawn = RecordPaint(window.View());
    const int lineHeight = window.View().GetLineHeight();
    ASSERT_EQ(3u, drawn.size());
    EXPECT_EQ("A", drawn[0].Text);
    EXPECT_EQ(1, drawn[0].X);
    EXPECT_EQ(1, drawn[0].Y);
    EXPECT_EQ("情報", drawn[1].Text);
    EXPECT_EQ(1 + lineHeight, drawn[1].Y);
    EXPECT_EQ("open", drawn[2].Text);
    EXPECT_EQ(1 + 2 * lineHeight, drawn[2].Y);
}

TEST(CustomEditPaintTest, SkipsTheEmptyOpenRow)
{
    TViewWindow window;
    window.AppendText("A\nB\n");
    const auto drawn = RecordPaint(window.View());
    ASSERT_EQ(2u, drawn.size());
    EXPECT_EQ("B", drawn[1].Text);
}

TEST(CustomEditPaintTest, StartsAtTheScrollPosition)
{
    TViewWindow window;
    window.AppendText(Numbered(100));
    for (int i = 0; i < 3; ++i) window.View().Scroll(SB_LINEDOWN);
    ASSERT_EQ(3, window.View().GetTopLine());
    const auto drawn = RecordPaint(window.View());
    ASSERT_GT(drawn.size(), 2u);
    EXPECT_EQ("row 3", drawn[0].Text);
    EXPECT_EQ(1, drawn[0].Y);
    EXPECT_EQ("row 4", drawn[1].Text);
}

TEST(CustomEditPaintTest, StopsOnceBelowTheWindowHeight)
{
    TViewWindow window(300, 200);
    window.AppendText(Numbered(100));
    const auto drawn = RecordPaint(window.View());
    const int height = WindowHeight(window.Window());
    const int lineHeight = window.View().GetLineHeight();
    // A row is drawn while the drawing position is still within the height.
    const size_t expected = static_cast<size_t>((height - 1) / lineHeight + 1);
    ASSERT_EQ(expected, drawn.size()) << "height " << height << ", line height " << lineHeight;
    for (size_t i = 0; i < drawn.size(); ++i) {
        EXPECT_EQ("row " + std::to_string(i), drawn[i].Text);
        EXPECT_EQ(1 + static_cast<int>(i) * lineHeight, drawn[i].Y) << "row " << i;
    }
}

TEST(CustomEditPaintTest, EnablesTheScrollBarOnlyWhenRowsDoNotFit)
{
    TViewWindow window(300, 200);
    window.AppendText("one\ntwo\n");
    RecordPaint(window.View());
    EXPECT_TRUE(ScrollBarDisabled(window.Window())) << "3 rows fit";

    window.AppendText(Numbered(100));
    RecordPaint(window.View());
    EXPECT_FALSE(ScrollBarDisabled(window.Window())) << "103 rows do not fit";

    window.View().Clear();
    window.AppendText("again\n");
    RecordPaint(window.View());
    EXPECT_TRUE(ScrollBarDisabled(window.Window()));
}

TEST(CustomEditPaintTest, PaintsThroughTheWindowProcedure)
{
    TViewWindow window;
    window.AppendText("A\n");
    window.View().Refresh();
    EXPECT_EQ(1, window.Paints());
    EXPECT_GT(window.View().GetLineHeight(), 1) << "the paint measured the first row";
}

namespace {

// Moves the thumb to the row and lets the view scroll there, as a drag ends.
void ThumbTo(TViewWindow& window, int row)
{
    SCROLLINFO record = {};
    record.cbSize = sizeof(record);
    record.fMask = SIF_POS;
    record.nPos = row;
    SetScrollInfo(window.Window(), SB_VERT, &record, FALSE);
    window.View().Scroll(SB_THUMBPOSITION);
}

std::string FirstDrawn(TCustomEdit& view)
{
    const auto drawn = RecordPaint(view);
    return drawn.empty() ? "(nothing)" : drawn[0].Text;
}

}  // namespace

TEST(CustomEditPaintTest, StartsAtTheRightRowWhereverTheViewJumps)
{
    TViewWindow window;
    window.AppendText(Numbered(1000));
    RecordPaint(window.View());
    window.View().UpdateScrollBar();
    const int last = 1001 - window.View().GetVisibleLines() + 1;  // the scroll bar's own limit
    for (int row : {700, 10, last, last - 1, 500, last, 0, 3}) {
        ThumbTo(window, row);
        ASSERT_EQ(row, window.View().GetTopLine());
        EXPECT_EQ("row " + std::to_string(row), FirstDrawn(window.View())) << "after a jump to " << row;
    }
    window.View().Scroll(SB_LINEDOWN);
    EXPECT_EQ("row 4", FirstDrawn(window.View()));
    window.View().Scroll(SB_PAGEDOWN);
    EXPECT_EQ("row " + std::to_string(window.View().GetTopLine()), FirstDrawn(window.View()));
}

TEST(CustomEditPaintTest, AfterClearPaintsTheNewRowsNotTheOldOnes)
{
    TViewWindow window;
    window.AppendText(Numbered(50));
    RecordPaint(window.View());
    window.View().UpdateScrollBar();
    ThumbTo(window, 30);
    ASSERT_EQ("row 30", FirstDrawn(window.View()));

    window.View().Clear();
    std::string fresh;
    for (int i = 0; i < 40; ++i) fresh += "new " + std::to_string(i) + "\n";
    window.AppendText(fresh);
    ASSERT_EQ(30, window.View().GetTopLine()) << "Clear keeps the position";
    EXPECT_EQ("new 30", FirstDrawn(window.View()));
}
