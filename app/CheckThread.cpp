#include "app/CheckThread.h"

const char* const TCheckThread::FailureText = "情報の取得に失敗しました";

void TRunView::Failed(TShellApi& api, bool) { ShowError(api, TCheckThread::FailureText, "情報取得エラー"); }

TCheckThread::TCheckThread(const std::vector<TBaseInfo*>& collectors, const OsVersionRecord& version, TRunView& view,
                           TShellApi& api)
    : Collectors(collectors), Version(version), View(view), Api(api), ComStarted(false)
{
}

int TCheckThread::Execute()
{
    if (Terminated) return 1;
    if (Api.CoInitialize(nullptr) != S_OK) {
        ShowError(Api, "COM初期化に失敗しました", "COM初期化エラー");
        return -1;
    }
    ComStarted = true;
    for (TBaseInfo* collector : Collectors) {
        if (Terminated) break;
        View.Starting(*collector);
        collector->Collect(Version);
        if (!Terminated) View.Gathered(*collector);
    }
    // Exit while the lines are shown: the dialog is going, stop at once.
    for (TBaseInfo* collector : Collectors) {
        if (Terminated) break;
        View.Show(*collector, Terminated);
    }
    // A run stopped part-way has no whole report to save.
    View.Ended(!Terminated);
    ComStarted = false;
    Api.CoUninitialize();
    return 0;
}

int TCheckThread::ExecuteFailed()
{
    View.Failed(Api, Terminated);
    if (ComStarted) {
        ComStarted = false;
        Api.CoUninitialize();
    }
    return ExceptionExitCode;
}
