#include "app/CheckThread.h"

#include <string>

#include "view/CustomEdit.h"

TCheckThread::TCheckThread(std::vector<TBaseInfo*>& collectors, TShellApi& api)
    : Collectors(collectors), Dialog(nullptr), Api(api), ComStarted(false)
{
}

const char* const TCheckThread::FailureLine = "情報の取得に失敗しました\n";

void TCheckThread::SetWindow(HWND dialog) { Dialog = dialog; }

TCustomEdit* TCheckThread::FindView() const
{
    if (Dialog == nullptr) return nullptr;
    return FindCustomEdit(GetDlgItem(Dialog, IDC_VIEW));
}

void TCheckThread::RunCollector(TBaseInfo& collector)
{
    if (Terminated) return;
    TCustomEdit* view = FindView();
    if (view != nullptr) {
        std::string title = collector.GetTitle();
        view->Append(title);
    }
    collector.Collect();
    if (!Terminated && view != nullptr) view->Refresh();
}

int TCheckThread::Execute()
{
    if (Terminated) return 1;
    if (Api.CoInitialize(nullptr) != S_OK) {
        ShowError(Api, "COM初期化に失敗しました", "COM初期化エラー");
        return -1;
    }
    ComStarted = true;
    for (TBaseInfo* collector : Collectors) RunCollector(*collector);
    if (!Terminated) {
        TCustomEdit* view = FindView();
        for (TBaseInfo* collector : Collectors) {
            // Exit while the lines are shown: the dialog is going, stop at once.
            if (view != nullptr)
                collector->ShowLines(*view, &Terminated);
            else
                collector->RemoveCarriageReturns();
        }
        // A run stopped part-way has no whole report to save.
        if (Dialog != nullptr && !Terminated) {
            EnableWindow(GetDlgItem(Dialog, IDC_SAVE), TRUE);
            // Enter now saves, as the button's style says.
            SendMessageA(Dialog, DM_SETDEFID, IDC_SAVE, 0);
        }
    }
    ComStarted = false;
    Api.CoUninitialize();
    return 0;
}

int TCheckThread::ExecuteFailed()
{
    TCustomEdit* view = FindView();
    if (view != nullptr) {
        std::string line = FailureLine;
        view->Append(line);
        if (!Terminated) view->Refresh();
    } else {
        const std::string text(FailureLine, std::char_traits<char>::length(FailureLine) - 1);
        ShowError(Api, text.c_str(), "情報取得エラー");
    }
    if (ComStarted) {
        ComStarted = false;
        Api.CoUninitialize();
    }
    return ExceptionExitCode;
}
