#include "app/MainDialog.h"

#include <string>

#include <windowsx.h>

#include "app/ReportCopy.h"
#include "app/ReportSaver.h"
#include "view/CustomEdit.h"

void TDialogRunView::Starting(const TBaseInfo& collector) { View.Append(collector.GetTitle()); }

void TDialogRunView::Gathered(const TBaseInfo&) { View.Refresh(); }

void TDialogRunView::Show(const TBaseInfo& collector, const std::atomic<bool>& stop)
{
    for (const std::string& element : collector.GetLines()) {
        if (stop) break;
        View.Append(element);
    }
    View.Refresh();
}

void TDialogRunView::Ended(bool whole) { PostMessageA(Dialog, WM_RUNENDED, whole ? TRUE : FALSE, 0); }

void TDialogRunView::Failed(TShellApi&, bool stopping)
{
    View.Append(std::string(TCheckThread::FailureText) + "\n");
    if (!stopping) View.Refresh();
}

TMainDialog::~TMainDialog() { Exit(); }

INT_PTR TMainDialog::Run(HINSTANCE instance)
{
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, Proc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK TMainDialog::Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        reinterpret_cast<TMainDialog*>(lParam)->Dialog = dialog;
    }
    auto* self = reinterpret_cast<TMainDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
    return self != nullptr ? self->Handle(message, wParam, lParam) : FALSE;
}

INT_PTR TMainDialog::Handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        Init();
        return TRUE;
    case WM_RUNENDED:
        RunEnded(wParam != FALSE);
        return TRUE;
    case WM_MOUSEWHEEL:
        // Whichever control has the focus, the wheel scrolls the report.
        SendMessageA(GetDlgItem(Dialog, IDC_VIEW), WM_MOUSEWHEEL, wParam, lParam);
        return TRUE;
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wParam) != GetDlgItem(Dialog, IDC_VIEW)) return FALSE;
        ShowViewMenu(lParam);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_SAVE:
            Save();
            return FALSE;
        case IDC_START:
            Start();
            return FALSE;
        case IDC_VIEW:  // the view's Ctrl+C
        case IDM_COPYALL:
            if (LOWORD(wParam) == IDM_COPYALL || HIWORD(wParam) == CEN_COPYALL) Copy();
            return FALSE;
        case IDCANCEL:
            if (Saving)
                ExitRequested = true;
            else
                Exit();
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

void TMainDialog::Init()
{
    View = new TCustomEdit;
    View->Attach(GetDlgItem(Dialog, IDC_VIEW));
    Collectors.reset(new TCollectors);
    RunView.reset(new TDialogRunView(Dialog, *View));
    Worker.reset(new TCheckThread(Collectors->List(), Collectors->Version, *RunView, Api));
    Worker->Create(true);
    Saving = false;
    ExitRequested = false;
}

void TMainDialog::Start()
{
    if (Worker == nullptr) return;
    View->Clear();
    View->Append("情報取得開始...\n");
    Worker->Resume();
    EnableWindow(GetDlgItem(Dialog, IDC_START), FALSE);
    // A disabled button keeps no focus: the view takes it, so keys still work.
    SendMessageA(Dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(Dialog, IDC_VIEW)), TRUE);
}

void TMainDialog::RunEnded(bool whole)
{
    // A run stopped part-way has no whole report to save.
    if (!whole || Worker == nullptr) return;
    EnableWindow(GetDlgItem(Dialog, IDC_SAVE), TRUE);
    // Enter now saves, as the button's style says.
    SendMessageA(Dialog, DM_SETDEFID, IDC_SAVE, 0);
}

void TMainDialog::Save()
{
    if (Saving || Collectors == nullptr) return;
    Saving = true;
    SaveReportAs(Dialog, Collectors->List(), Api);
    Saving = false;
    if (ExitRequested) Exit();
}

// Copy from the view: the whole report on the clipboard, once a run has finished.
void TMainDialog::Copy()
{
    // Save is enabled only once a run has finished: before that there is no report.
    if (Collectors == nullptr || !IsWindowEnabled(GetDlgItem(Dialog, IDC_SAVE))) return;
    try {
        CopyReport(Dialog, ReportText(Collectors->List()));
    } catch (...) {
        // Out of memory for the text: the clipboard keeps what it had.
    }
}

void TMainDialog::ShowViewMenu(LPARAM where)
{
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr) return;
    const UINT state = IsWindowEnabled(GetDlgItem(Dialog, IDC_SAVE)) ? MF_ENABLED : MF_GRAYED;
    AppendMenuW(menu, MF_STRING | state, IDM_COPYALL, L"すべてコピー");
    POINT at = {GET_X_LPARAM(where), GET_Y_LPARAM(where)};
    if (at.x == -1 && at.y == -1) {
        // Asked from the keyboard: at the view's corner.
        RECT bounds = {};
        GetWindowRect(GetDlgItem(Dialog, IDC_VIEW), &bounds);
        at.x = bounds.left;
        at.y = bounds.top;
    }
    // The choice comes back as the menu's WM_COMMAND.
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, Dialog, nullptr);
    DestroyMenu(menu);
}

void TMainDialog::Exit()
{
    if (Worker != nullptr) {
        Worker->Terminate();
        Worker->Resume();
        // Serves the worker's calls into this thread (repaints) while it
        // finishes the collector it is in.
        Worker->WaitFor();
        Worker.reset();
    }
    RunView.reset();
    Collectors.reset();
    if (Dialog != nullptr) EndDialog(Dialog, 0);
    Dialog = nullptr;
}
