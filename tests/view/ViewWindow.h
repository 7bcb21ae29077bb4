#ifndef ENVCHECK_TESTS_VIEW_VIEWWINDOW_H
#define ENVCHECK_TESTS_VIEW_VIEWWINDOW_H

#include <windows.h>

#include <string>

#include "view/CustomEdit.h"

// A real, shown "CustomEdit" window with its view attached, whose paints are
// counted. The window owns the view, as in the program. With a parent it is
// that window's child control with the id given, as in the dialog.
class TViewWindow {
public:
    TViewWindow(int width = 300, int height = 200, HWND parent = nullptr, int id = 0);
    ~TViewWindow();
    TViewWindow(const TViewWindow&) = delete;
    TViewWindow& operator=(const TViewWindow&) = delete;

    HWND Window() const { return Handle; }
    TCustomEdit& View() const { return *Edit; }
    int Paints() const { return PaintCount; }
    // Handles whatever the window has queued.
    void Pump();
    void AppendText(const std::string& text);

private:
    static LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND Handle;
    TCustomEdit* Edit;
    int PaintCount;
};

#endif
