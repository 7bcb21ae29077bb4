#include "app/MainDialog.h"

#include <clocale>
#include <string>

#include "app/Collectors.h"
#include "app/ReportSaver.h"
#include "view/CustomEdit.h"

std::vector<TBaseInfo*> CollectorList;
TCheckThread* WorkerThread = nullptr;

void OnStart(HWND dialog, TThread& worker)
{
    TCustomEdit* view = FindCustomEdit(GetDlgItem(dialog, IDC_VIEW));
    if (view != nullptr) {
        view->Clear();
        std::string start = "情報取得開始...\n";
        view->Append(start);
    }
    worker.Resume();
}

void OnSave(HWND dialog, std::vector<TBaseInfo*>& collectors, TShellApi& api)
{
    static const char filter[] = "テキストファイル(*.txt)\0*.txt\0全てのファイル(*.*)\0*.*\0";
    char fileName[512] = "ruk_syslog.txt";
    char fileTitle[512] = "";

    OPENFILENAMEA record = {};
    record.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    record.hwndOwner = dialog;
    record.lpstrFilter = filter;
    record.nFilterIndex = 0;
    record.lpstrFile = fileName;
    record.nMaxFile = sizeof(fileName);
    record.lpstrFileTitle = fileTitle;
    record.nMaxFileTitle = sizeof(fileTitle);
    record.lpstrInitialDir = nullptr;
    record.lpstrTitle = "保存します。";
    record.Flags = OFN_OVERWRITEPROMPT | OFN_CREATEPROMPT;
    record.lpstrDefExt = "txt";
    if (!api.GetSaveFileNameA(&record)) return;

    setlocale(LC_ALL, "japanese");
    if (!WriteReport(fileName, collectors))
        api.MessageBoxA(nullptr, "ファイルの保存に失敗しました", "保存エラー", MB_ICONEXCLAMATION);
}

namespace {

void InitDialog(HWND dialog)
{
    TCustomEdit* view = new TCustomEdit;
    view->Attach(GetDlgItem(dialog, IDC_VIEW));
    CreateCollectors(CollectorList);
    WorkerThread = new TCheckThread(CollectorList);
    WorkerThread->SetWindow(dialog);
    WorkerThread->Create(true);
}

void Exit(HWND dialog)
{
    if (WorkerThread == nullptr) {
        // A second exit request queued before the dialog went away.
        EndDialog(dialog, 0);
        return;
    }
    WorkerThread->Terminate();
    WorkerThread->Resume();
    // Serves the worker's calls into this thread (repaints, enabling Save)
    // while it finishes the collector it is in.
    WorkerThread->WaitFor();
    delete WorkerThread;
    WorkerThread = nullptr;
    DeleteCollectors(CollectorList);
    EndDialog(dialog, 0);
}

}  // namespace

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        InitDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_SAVE:
            OnSave(dialog, CollectorList);
            return FALSE;
        case IDC_START:
            OnStart(dialog, *WorkerThread);
            EnableWindow(GetDlgItem(dialog, IDC_START), FALSE);
            return FALSE;
        case IDCANCEL:
            Exit(dialog);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}
