#include "app/MainDialog.h"

#include <clocale>
#include <string>

#include <windowsx.h>

#include "app/Collectors.h"
#include "app/ReportCopy.h"
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
    static const wchar_t filter[] = L"テキストファイル(*.txt)\0*.txt\0全てのファイル(*.*)\0*.*\0";
    // Wide: the chosen path names the file it names, in any code page.
    wchar_t fileName[512] = L"ruk_syslog.txt";
    wchar_t fileTitle[512] = L"";

    OPENFILENAMEW record = {};
    record.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    record.hwndOwner = dialog;
    record.lpstrFilter = filter;
    record.nFilterIndex = 0;
    record.lpstrFile = fileName;
    record.nMaxFile = sizeof(fileName) / sizeof(fileName[0]);
    record.lpstrFileTitle = fileTitle;
    record.nMaxFileTitle = sizeof(fileTitle) / sizeof(fileTitle[0]);
    record.lpstrInitialDir = nullptr;
    record.lpstrTitle = L"保存します。";
    record.Flags = OFN_OVERWRITEPROMPT | OFN_CREATEPROMPT;
    record.lpstrDefExt = L"txt";
    if (!api.GetSaveFileNameW(&record)) return;

    setlocale(LC_ALL, "japanese");
    if (!WriteReport(fileName, collectors)) ShowError(api, "ファイルの保存に失敗しました", "保存エラー");
}

namespace {

// A close request that arrives inside the save dialog's own message loop
// waits until the save has written from the collectors, or failed.
bool Saving = false;
bool ExitRequested = false;

// Copy from the view: the whole report on the clipboard, once a run has finished.
void OnCopy(HWND dialog, std::vector<TBaseInfo*>& collectors)
{
    // Save is enabled only once a run has finished: before that there is no report.
    if (!IsWindowEnabled(GetDlgItem(dialog, IDC_SAVE))) return;
    try {
        CopyReport(dialog, ReportText(collectors));
    } catch (...) {
        // Out of memory for the text: the clipboard keeps what it had.
    }
}

void ShowViewMenu(HWND dialog, LPARAM where)
{
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr) return;
    const UINT state = IsWindowEnabled(GetDlgItem(dialog, IDC_SAVE)) ? MF_ENABLED : MF_GRAYED;
    AppendMenuW(menu, MF_STRING | state, IDM_COPYALL, L"すべてコピー");
    POINT at = {GET_X_LPARAM(where), GET_Y_LPARAM(where)};
    if (at.x == -1 && at.y == -1) {
        // Asked from the keyboard: at the view's corner.
        RECT bounds = {};
        GetWindowRect(GetDlgItem(dialog, IDC_VIEW), &bounds);
        at.x = bounds.left;
        at.y = bounds.top;
    }
    // The choice comes back as the menu's WM_COMMAND.
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, dialog, nullptr);
    DestroyMenu(menu);
}

void InitDialog(HWND dialog)
{
    TCustomEdit* view = new TCustomEdit;
    view->Attach(GetDlgItem(dialog, IDC_VIEW));
    CreateCollectors(CollectorList);
    WorkerThread = new TCheckThread(CollectorList);
    WorkerThread->SetWindow(dialog);
    WorkerThread->Create(true);
    Saving = false;
    ExitRequested = false;
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

void Save(HWND dialog)
{
    if (Saving) return;
    Saving = true;
    OnSave(dialog, CollectorList);
    Saving = false;
    if (ExitRequested) Exit(dialog);
}

void Start(HWND dialog)
{
    OnStart(dialog, *WorkerThread);
    EnableWindow(GetDlgItem(dialog, IDC_START), FALSE);
    // A disabled button keeps no focus: the view takes it, so keys still work.
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_VIEW)), TRUE);
}

}  // namespace

INT_PTR RunMainDialog(HINSTANCE instance)
{
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainDialogProc, 0);
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitDialog(dialog);
        return TRUE;
    case WM_MOUSEWHEEL:
        // Whichever control has the focus, the wheel scrolls the report.
        SendMessageA(GetDlgItem(dialog, IDC_VIEW), WM_MOUSEWHEEL, wParam, lParam);
        return TRUE;
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wParam) != GetDlgItem(dialog, IDC_VIEW)) return FALSE;
        ShowViewMenu(dialog, lParam);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_SAVE:
            Save(dialog);
            return FALSE;
        case IDC_START:
            Start(dialog);
            return FALSE;
        case IDC_VIEW:
            if (HIWORD(wParam) == CEN_COPYALL) OnCopy(dialog, CollectorList);
            return FALSE;
        case IDM_COPYALL:
            OnCopy(dialog, CollectorList);
            return FALSE;
        case IDCANCEL:
            if (Saving)
                ExitRequested = true;
            else
                Exit(dialog);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}
