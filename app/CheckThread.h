#ifndef ENVCHECK_APP_CHECKTHREAD_H
#define ENVCHECK_APP_CHECKTHREAD_H

#include <windows.h>

#include <vector>

#include "app/ShellApi.h"
#include "app/resource.h"
#include "info/BaseInfo.h"
#include "thread/Thread.h"

class TCustomEdit;

// The collection run: every collector in list order, then all their lines
// into the view, then Save is enabled. Without a dialog (a headless report)
// there is no view: the lines are only cleaned as the view would clean them.
// A run that fails on the way says so, in the view or through the shell's
// message box, and never enables Save.
class TCheckThread : public TThread {
public:
    explicit TCheckThread(std::vector<TBaseInfo*>& collectors, TShellApi& api = Win32ShellApi());

    void SetWindow(HWND dialog);
    void RunCollector(TBaseInfo& collector);

    // The view's line when the run failed on the way.
    static const char* const FailureLine;

protected:
    int Execute() override;
    int ExecuteFailed() override;

private:
    TCustomEdit* FindView() const;

    std::vector<TBaseInfo*>& Collectors;
    HWND Dialog;
    TShellApi& Api;
    bool ComStarted;
};

#endif
