#include "BenchWindow.h"

#include "Clock.h"
#include "PlatformClock.h"
#include "app/MainDialog.h"
#include "view/CustomEdit.h"

namespace {

WNDPROC ButtonProc = nullptr;
double SaveEnabledAt = 0;
double PlatformAtSave = 0;

LRESULT CALLBACK SaveButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ENABLE && wParam) {
        SaveEnabledAt = NowMs();
        // Its end posted, the worker makes no call that is counted.
        PlatformAtSave = TPlatformCall::TotalMs();
        PostQuitMessage(0);
    }
    return CallWindowProcA(ButtonProc, button, message, wParam, lParam);
}

INT_PTR CALLBACK BenchDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    // As the program's dialog does at a whole run's end.
    if (message == WM_RUNENDED && wParam) EnableWindow(GetDlgItem(dialog, IDC_SAVE), TRUE);
    if (message != WM_INITDIALOG) return FALSE;
    TCustomEdit* view = new TCustomEdit;
    view->Attach(GetDlgItem(dialog, IDC_VIEW));
    return TRUE;
}

}  // namespace

TBenchDialog::TBenchDialog()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    static const bool registered = (RegisterCustomEdit(instance), true);
    (void)registered;
    Dialog = CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, BenchDialogProc, 0);
    ShowWindow(Dialog, SW_SHOW);
    UpdateWindow(Dialog);
    HWND save = GetDlgItem(Dialog, IDC_SAVE);
    EnableWindow(save, FALSE);
    ButtonProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(save, GWLP_WNDPROC,
                                                             reinterpret_cast<LONG_PTR>(&SaveButtonProc)));
}

TBenchDialog::~TBenchDialog() { DestroyWindow(Dialog); }

TSaveEnabled TBenchDialog::PumpUntilSaveEnabled()
{
    SaveEnabledAt = 0;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageA(Dialog, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return {SaveEnabledAt, PlatformAtSave};
}

TAnswerProbe::TAnswerProbe(HWND window) : Window(window)
{
    Thread = CreateThread(nullptr, 0, &TAnswerProbe::Probe, this, 0, nullptr);
}

TAnswerProbe::~TAnswerProbe()
{
    Stop = true;
    // The probe may be waiting for this thread to take its message.
    while (MsgWaitForMultipleObjects(1, &Thread, FALSE, INFINITE, QS_SENDMESSAGE) != WAIT_OBJECT_0) {
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    CloseHandle(Thread);
}

double TAnswerProbe::LongestMs() { return Longest.load() / 1000.0; }

DWORD WINAPI TAnswerProbe::Probe(LPVOID self)
{
    TAnswerProbe& probe = *static_cast<TAnswerProbe*>(self);
    while (!probe.Stop) {
        const double start = NowMs();
        DWORD_PTR result = 0;
        SendMessageTimeoutA(probe.Window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
        const long long took = static_cast<long long>((NowMs() - start) * 1000.0);
        if (took > probe.Longest) probe.Longest = took;
        Sleep(5);
    }
    return 0;
}
