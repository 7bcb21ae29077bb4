#ifndef ENVCHECK_VIEW_CUSTOMEDIT_H
#define ENVCHECK_VIEW_CUSTOMEDIT_H

#include <windows.h>

#include <list>
#include <string>
#include <string_view>

#include "thread/CriticalSection.h"

// Read-only, line-based text view drawn into a "CustomEdit" control window.
// Its rows are cp932, drawn as such whatever the ANSI code page.
// Rows are appended from the worker thread and painted and scrolled on the
// thread that owns the window, so every access to the rows and the scroll
// state takes Lock, which is never held across a call that waits for the
// other thread.
class TCustomEdit {
public:
    TCustomEdit();
    virtual ~TCustomEdit();
    TCustomEdit(const TCustomEdit&) = delete;
    TCustomEdit& operator=(const TCustomEdit&) = delete;

    void Attach(HWND window);
    // The text's rows after the last one, the caller's text as it was.
    void Append(std::string_view text);
    void Clear();
    void Refresh();
    void UpdateScrollBar();
    void Paint(HDC dc);
    void Scroll(int code);
    // A WM_MOUSEWHEEL's rotation, in WHEEL_DELTA units or parts of them.
    void Wheel(int delta);
    // A WM_KEYDOWN's key; tells whether the view used it.
    bool KeyDown(WPARAM key);

    HWND GetWindow() const { return Window; }
    int GetTopLine();
    int GetLineHeight();
    int GetVisibleLines();
    std::list<std::string> GetLines();

private:
    void ClampTopLine();
    // The scroll bar takes the rows, page and position; drawn now or not.
    void SetScrollBar(BOOL redraw);
    // The row at a line below the row count; Lock is held.
    std::list<std::string>::iterator RowAt(int line);

    HWND Window;
    SCROLLINFO ScrollInfo;
    int TopLine;
    int LineHeight;
    int VisibleLines;
    std::list<std::string> Lines;
    bool ScrollBarUndrawn;  // set since it was last drawn
    std::list<std::string>::iterator CachedRow;  // Lines.end() when none
    int CachedLine;
    int WheelRemainder;  // rotation short of a whole notch, in this direction
    TCriticalSection Lock;
};

// The notification (in WM_COMMAND) by which the view asks its owner to copy
// the whole text, which the owner decides on.
const WORD CEN_COPYALL = 0x0101;

// The view attached to a control window, or null.
TCustomEdit* FindCustomEdit(HWND window);

void RegisterCustomEdit(HINSTANCE instance);
LRESULT CALLBACK CustomEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
