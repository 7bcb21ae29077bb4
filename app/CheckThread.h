#ifndef ENVCHECK_APP_CHECKTHREAD_H
#define ENVCHECK_APP_CHECKTHREAD_H

#include <windows.h>

#include <atomic>
#include <vector>

#include "app/ShellApi.h"
#include "info/BaseInfo.h"
#include "thread/Thread.h"

// What a run shows as it goes and whom it tells when it ends: the dialog's
// view, or nobody for a headless report. Called on the worker thread.
class TRunView {
public:
    virtual ~TRunView() = default;
    // Before a collector gathers, and after it has unless the run is stopping.
    virtual void Starting(const TBaseInfo&) {}
    virtual void Gathered(const TBaseInfo&) {}
    // A collector's elements, one by one until stop is set.
    virtual void Show(const TBaseInfo&, const std::atomic<bool>&) {}
    // Whole: every collector's lines are in and nothing stopped the run.
    virtual void Ended(bool) {}
    // The run failed on the way: by default the player is told in the error box.
    virtual void Failed(TShellApi& api, bool stopping);
};

// The collection run: every collector in list order, told the run's version
// record, then all their lines to the run's view. A run that fails on the way
// says so and never ends whole.
class TCheckThread : public TThread {
public:
    TCheckThread(const std::vector<TBaseInfo*>& collectors, const OsVersionRecord& version, TRunView& view,
                 TShellApi& api = Win32ShellApi());

    // The failure's words.
    static const char* const FailureText;

protected:
    int Execute() override;
    int ExecuteFailed() override;

private:
    const std::vector<TBaseInfo*>& Collectors;
    const OsVersionRecord Version;
    TRunView& View;
    TShellApi& Api;
    bool ComStarted;
};

#endif
