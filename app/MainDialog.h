#ifndef ENVCHECK_APP_MAINDIALOG_H
#define ENVCHECK_APP_MAINDIALOG_H

#include <windows.h>

#include <memory>

#include "app/CheckThread.h"
#include "app/Collectors.h"
#include "app/ShellApi.h"
#include "app/resource.h"

class TCustomEdit;

// Posted by the run to its dialog when it ends; wParam is TRUE when the run
// ended whole, with a report to save.
const UINT WM_RUNENDED = WM_APP + 1;

// The run's view in the dialog: titles and sections appended as they come,
// the failure's line, and the end posted to the dialog, which decides what
// it enables.
class TDialogRunView : public TRunView {
public:
    TDialogRunView(HWND dialog, TCustomEdit& view) : Dialog(dialog), View(view) {}
    void Starting(const TBaseInfo& collector) override;
    void Gathered(const TBaseInfo& collector) override;
    void Show(const TBaseInfo& collector, const std::atomic<bool>& stop) override;
    void Ended(bool whole) override;
    void Failed(TShellApi& api, bool stopping) override;

private:
    HWND Dialog;
    TCustomEdit& View;
};

// The main dialog: from its initialisation to its exit it owns the
// collectors and the worker that runs them.
class TMainDialog {
public:
    explicit TMainDialog(TShellApi& api = Win32ShellApi()) : Api(api) {}
    ~TMainDialog();
    TMainDialog(const TMainDialog&) = delete;
    TMainDialog& operator=(const TMainDialog&) = delete;

    // The dialog from its resource, until it ends. Wide, so that the
    // resource's texts reach the controls as written whatever the ANSI code page.
    INT_PTR Run(HINSTANCE instance);
    static INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    // Whether anything of a run is left: false before the dialog opens and after the exit.
    bool HoldsARun() const { return Collectors != nullptr || Worker != nullptr; }

private:
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Init();
    void Start();
    void Save();
    void Copy();
    void ShowViewMenu(LPARAM where);
    void RunEnded(bool whole);
    // Stops the run, lets the collectors go and ends the dialog.
    void Exit();

    TShellApi& Api;
    HWND Dialog = nullptr;
    TCustomEdit* View = nullptr;  // the view control's own: it goes with its window
    std::unique_ptr<TCollectors> Collectors;
    std::unique_ptr<TDialogRunView> RunView;
    std::unique_ptr<TCheckThread> Worker;
    // A close request that arrives inside the save dialog's own message loop
    // waits until the save has written from the collectors, or failed.
    bool Saving = false;
    bool ExitRequested = false;
};

#endif
