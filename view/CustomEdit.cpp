#include "view/CustomEdit.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

#include "info/Lookup.h"
#include "info/WideText.h"

namespace {

bool EndsRow(const std::string& row) { return !row.empty() && row.back() == '\n'; }

}  // namespace

TCustomEdit* FindCustomEdit(HWND window)
{
    // An invalid or destroyed window answers 0.
    return reinterpret_cast<TCustomEdit*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

TCustomEdit::TCustomEdit()
    : Window(nullptr), ScrollInfo(), TopLine(0), LineHeight(0), VisibleLines(0), ScrollBarUndrawn(false),
      CachedRow(Lines.end()), CachedLine(0), WheelRemainder(0)
{
    ScrollInfo.cbSize = sizeof(SCROLLINFO);
    ScrollInfo.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL | SIF_TRACKPOS;
    Lock.Initialize();
}

TCustomEdit::~TCustomEdit() = default;

void TCustomEdit::Attach(HWND window)
{
    Window = window;
    // The window's first view stays the one it deletes.
    if (FindCustomEdit(window) == nullptr) SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void TCustomEdit::Append(std::string_view text)
{
    {
        TLock hold(Lock);
        // A row ends after its '\n'; a carriage return is never shown.
        auto addPiece = [this](std::string piece) {
            piece.erase(std::remove(piece.begin(), piece.end(), '\r'), piece.end());
            if (Lines.empty() || EndsRow(Lines.back()))
                Lines.push_back(std::move(piece));
            else
                Lines.back() += piece;
        };
        size_t at = 0;
        for (size_t end = text.find('\n'); end != std::string_view::npos; end = text.find('\n', at)) {
            addPiece(std::string(text.substr(at, end + 1 - at)));
            at = end + 1;
        }
        addPiece(std::string(text.substr(at)));
        ScrollBarUndrawn = true;
    }
    // Drawing the scroll bar costs a hundred times what setting it does, and
    // pass 2 appends thousands of elements: it is drawn at the next refresh.
    SetScrollBar(FALSE);
}

void TCustomEdit::Clear()
{
    TLock hold(Lock);
    Lines.clear();
    CachedRow = Lines.end();
}

std::list<std::string>::iterator TCustomEdit::RowAt(int line)
{
    // Every paint asks for its top row: walking from whichever of the first
    // row, the last one asked for and the end is nearest keeps a paint at the
    // bottom of a long report as quick as one at the top. Rows are only ever
    // added at the end, so a kept iterator stays valid until Clear.
    const int count = static_cast<int>(Lines.size());
    int from = 0;
    auto row = Lines.begin();
    if (CachedRow != Lines.end() && std::abs(line - CachedLine) < line) {
        from = CachedLine;
        row = CachedRow;
    }
    if (count - line < std::abs(line - from)) {
        from = count;
        row = Lines.end();
    }
    std::advance(row, line - from);
    CachedRow = row;
    CachedLine = line;
    return row;
}

void TCustomEdit::Refresh()
{
    bool undrawn;
    {
        TLock hold(Lock);
        undrawn = ScrollBarUndrawn;
    }
    if (undrawn) UpdateScrollBar();
    InvalidateRect(Window, nullptr, TRUE);
    UpdateWindow(Window);
}

void TCustomEdit::UpdateScrollBar() { SetScrollBar(TRUE); }

void TCustomEdit::SetScrollBar(BOOL redraw)
{
    SCROLLINFO record;
    {
        TLock hold(Lock);
        if (redraw) ScrollBarUndrawn = false;
        ClampTopLine();
        ScrollInfo.nMin = 0;
        ScrollInfo.nPage = static_cast<UINT>(VisibleLines);
        ScrollInfo.nMax = static_cast<int>(Lines.size());
        ScrollInfo.nPos = TopLine;
        record = ScrollInfo;
    }
    // Outside the lock: from the worker this may wait for the window's thread.
    SetScrollInfo(Window, SB_VERT, &record, redraw);
}

void TCustomEdit::Paint(HDC dc)
{
    TLock hold(Lock);
    RECT bounds = {};
    GetWindowRect(Window, &bounds);
    const int height = bounds.bottom - bounds.top;

    // Wide, like the rows: the face's cp932 bytes name no font in another code page.
    HFONT font = CreateFontW(12, 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_TT_PRECIS,
                             CLIP_DEFAULT_PRECIS, PROOF_QUALITY, FIXED_PITCH | FF_MODERN, L"MS ゴシック");
    HGDIOBJ previousFont = SelectObject(dc, font);

    if (!Lines.empty() && TopLine >= 0 && static_cast<size_t>(TopLine) < Lines.size()) {
        auto row = RowAt(TopLine);
        const int previousMode = SetBkMode(dc, TRANSPARENT);
        int y = 1;

        SIZE extent = {};
        const std::wstring first = WideText(*row, ReportCodePage);
        GetTextExtentPoint32W(dc, first.c_str(), static_cast<int>(first.size()), &extent);
        LineHeight = extent.cy + 1;
        VisibleLines = height / LineHeight;
        const bool scrollable = Lines.size() > static_cast<size_t>(VisibleLines);
        EnableScrollBar(Window, SB_VERT, scrollable ? ESB_ENABLE_BOTH : ESB_DISABLE_BOTH);

        for (; row != Lines.end(); ++row) {
            if (row->empty()) continue;
            const bool ends = EndsRow(*row);
            const std::wstring text = WideText(row->substr(0, row->size() - (ends ? 1 : 0)), ReportCodePage);
            TextOutW(dc, 1, y, text.c_str(), static_cast<int>(text.size()));
            if (ends) y += LineHeight;
            if (y > height) break;
        }
        SetBkMode(dc, previousMode);
    }

    SelectObject(dc, previousFont);
    DeleteObject(font);
}

void TCustomEdit::Scroll(int code)
{
    bool changed = false;
    {
        TLock hold(Lock);
        GetScrollInfo(Window, SB_VERT, &ScrollInfo);
        const int maximum = ScrollInfo.nMax;
        const int page = static_cast<int>(ScrollInfo.nPage);
        const int old = TopLine;
        switch (code) {
        case SB_LINEUP:
            if (TopLine > 0) --TopLine;
            break;
        case SB_LINEDOWN:
            if (maximum - TopLine >= page) ++TopLine;
            break;
        case SB_PAGEUP:
            TopLine = std::max(TopLine - page, 0);
            changed = true;
            break;
        case SB_PAGEDOWN:
            if (static_cast<unsigned>(TopLine + page) <= static_cast<unsigned>(maximum - page))
                TopLine += page;
            else
                TopLine = maximum - page + 1;
            changed = true;
            break;
        case SB_THUMBPOSITION:
            TopLine = ScrollInfo.nTrackPos;
            changed = true;
            break;
        case SB_THUMBTRACK:
            TopLine = ScrollInfo.nTrackPos;
            break;
        case SB_TOP:
            TopLine = 0;
            break;
        case SB_BOTTOM:
            // Where page-down stops.
            TopLine = maximum - page + 1;
            break;
        default:
            break;
        }
        ClampTopLine();
        changed = changed || TopLine != old;
    }
    if (changed) {
        UpdateScrollBar();
        Refresh();
    }
}

void TCustomEdit::Wheel(int delta)
{
    // Read at each message: the user may change it while the dialog is open.
    UINT perNotch = 3;
    if (!SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &perNotch, 0)) perNotch = 3;
    int notches = 0;
    bool changed = false;
    {
        TLock hold(Lock);
        if (perNotch == 0) {
            WheelRemainder = 0;
            return;
        }
        // High-resolution wheels send parts of a notch; a turn back starts afresh.
        if ((WheelRemainder < 0 && delta > 0) || (WheelRemainder > 0 && delta < 0)) WheelRemainder = 0;
        WheelRemainder += delta;
        notches = WheelRemainder / WHEEL_DELTA;
        WheelRemainder -= notches * WHEEL_DELTA;
        if (notches != 0 && perNotch != WHEEL_PAGESCROLL) {
            GetScrollInfo(Window, SB_VERT, &ScrollInfo);
            const int old = TopLine;
            // Computed at once rather than line by line, so the scroll bar and
            // the paint follow once per message; the bounds are line-down's and line-up's.
            const long long lines = static_cast<long long>(perNotch) * std::abs(notches);
            if (notches > 0) {
                TopLine = static_cast<int>(std::max<long long>(TopLine - lines, 0));
            } else {
                const int last = ScrollInfo.nMax - static_cast<int>(ScrollInfo.nPage) + 1;
                if (TopLine < last) TopLine = static_cast<int>(std::min<long long>(TopLine + lines, last));
            }
            ClampTopLine();
            changed = TopLine != old;
        }
    }
    if (perNotch == WHEEL_PAGESCROLL) {
        for (int i = std::abs(notches); i > 0; --i) Scroll(notches > 0 ? SB_PAGEUP : SB_PAGEDOWN);
    } else if (changed) {
        UpdateScrollBar();
        Refresh();
    }
}

bool TCustomEdit::KeyDown(WPARAM key)
{
    const int code = Lookup<WPARAM, int>(key,
                                         {{VK_UP, SB_LINEUP},
                                          {VK_DOWN, SB_LINEDOWN},
                                          {VK_PRIOR, SB_PAGEUP},
                                          {VK_NEXT, SB_PAGEDOWN},
                                          {VK_HOME, SB_TOP},
                                          {VK_END, SB_BOTTOM}},
                                         -1);
    if (code >= 0) {
        Scroll(code);
        return true;
    }
    if (key != 'C' || GetKeyState(VK_CONTROL) >= 0) return false;
    // No lock here: the parent may wait for the worker, which may wait for Lock.
    SendMessageA(GetParent(Window), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(Window), CEN_COPYALL),
                 reinterpret_cast<LPARAM>(Window));
    return true;
}

void TCustomEdit::ClampTopLine()
{
    // A position of rows or more (page 0 or 1) would start painting past the end.
    const int last = Lines.empty() ? 0 : static_cast<int>(Lines.size()) - 1;
    TopLine = std::min(std::max(TopLine, 0), last);
}

int TCustomEdit::GetTopLine()
{
    TLock hold(Lock);
    return TopLine;
}

int TCustomEdit::GetLineHeight()
{
    TLock hold(Lock);
    return LineHeight;
}

int TCustomEdit::GetVisibleLines()
{
    TLock hold(Lock);
    return VisibleLines;
}

std::list<std::string> TCustomEdit::GetLines()
{
    TLock hold(Lock);
    return Lines;
}

void RegisterCustomEdit(HINSTANCE instance)
{
    WNDCLASSW windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = CustomEditProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_MENU + 1);
    windowClass.lpszClassName = L"CustomEdit";
    RegisterClassW(&windowClass);
}

LRESULT CALLBACK CustomEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    TCustomEdit* view = FindCustomEdit(window);
    if (view == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        view->Paint(dc);
        EndPaint(window, &paint);
        break;
    }
    case WM_NCDESTROY:
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        delete view;
        break;
    case WM_VSCROLL:
        view->Scroll(LOWORD(wParam));
        break;
    case WM_MOUSEWHEEL:
        // Handled here: DefWindowProc would pass it on to the parent as well.
        view->Wheel(GET_WHEEL_DELTA_WPARAM(wParam));
        return 0;
    case WM_KEYDOWN:
        if (view->KeyDown(wParam)) return 0;
        break;
    case WM_GETDLGCODE:
        // The arrows scroll; Tab, Enter and Escape stay the dialog's.
        return DLGC_WANTARROWS;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        SetFocus(window);
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
