#include "view/ViewWindow.h"

namespace {
const char* const CountProperty = "TViewWindow";
}

TViewWindow::TViewWindow(int width, int height, HWND parent, int id)
    : Handle(nullptr), Edit(nullptr), PaintCount(0)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterCustomEdit(instance);
    const DWORD style = (parent != nullptr ? WS_CHILD : WS_POPUP) | WS_BORDER | WS_VSCROLL;
    Handle = CreateWindowExA(0, "CustomEdit", "", style, 10, 10, width, height, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    Edit = new TCustomEdit;
    Edit->Attach(Handle);
    SetPropA(Handle, CountProperty, this);
    SetWindowLongPtrA(Handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TViewWindow::CountingProc));
    ShowWindow(Handle, SW_SHOWNOACTIVATE);
    UpdateWindow(Handle);
    Pump();
    PaintCount = 0;
}

TViewWindow::~TViewWindow()
{
    SetWindowLongPtrA(Handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CustomEditProc));
    RemovePropA(Handle, CountProperty);
    DestroyWindow(Handle);  // deletes the view
}

void TViewWindow::Pump()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void TViewWindow::AppendText(const std::string& text)
{
    std::string copy = text;
    Edit->Append(copy);
}

LRESULT CALLBACK TViewWindow::CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        TViewWindow* self = static_cast<TViewWindow*>(GetPropA(window, CountProperty));
        if (self != nullptr) ++self->PaintCount;
    }
    return CustomEditProc(window, message, wParam, lParam);
}
