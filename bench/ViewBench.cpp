#include "ViewBench.h"

#include "BenchWindow.h"
#include "Clock.h"
#include "app/resource.h"
#include "view/CustomEdit.h"

namespace {

void ScrollTo(HWND window, int position)
{
    SCROLLINFO record = {};
    record.cbSize = sizeof(record);
    record.fMask = SIF_POS;
    record.nPos = position;
    SetScrollInfo(window, SB_VERT, &record, TRUE);
    SendMessageA(window, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, position), 0);
}

double MedianPaintMs(TCustomEdit& view, int paints)
{
    return MedianMs(paints, [&] { view.Refresh(); });
}

}  // namespace

TViewFigures MeasureView(const std::deque<std::string>& elements, int paints)
{
    TBenchDialog dialog;
    HWND window = GetDlgItem(dialog.Window(), IDC_VIEW);
    TCustomEdit& view = *FindCustomEdit(window);
    TViewFigures figures = {};

    const double start = NowMs();
    for (const std::string& element : elements) view.Append(element);
    figures.AppendMs = NowMs() - start;
    view.Refresh();  // the first paint sets the page, as in the program
    view.UpdateScrollBar();
    figures.Rows = view.GetLines().size();

    ScrollTo(window, 0);
    figures.PaintTopMs = MedianPaintMs(view, paints);
    ScrollTo(window, static_cast<int>(figures.Rows) - view.GetVisibleLines());
    if (view.GetTopLine() + view.GetVisibleLines() + 1 < static_cast<int>(figures.Rows))
        figures.PaintBottomMs = -1;  // the view did not reach its last page
    else
        figures.PaintBottomMs = MedianPaintMs(view, paints);
    return figures;
}
