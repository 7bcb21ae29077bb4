// The network collector needs winsock2.h before windows.h.
#include <winsock2.h>

#include "app/MainDialog.h"

#include "app/ReportSaver.h"
#include "info/directx/DirectXInfo.h"
#include "info/drive/DriveInfo.h"
#include "info/network/NetworkInfo.h"
#include "info/process/ProcessInfo.h"
#include "info/service/ServiceInfo.h"
#include "info/system/SystemInfo.h"
#include "view/CustomEdit.h"

std::vector<TBaseInfo*> CollectorList;
TCheckThread* WorkerThread = nullptr;

void CreateCollectors(std::vector<TBaseInfo*>& collectors)
{
    collectors.push_back(new TSystemInfo);
    collectors.push_back(new TDirectXInfo);
    collectors.push_back(new TProcessInfo);
    collectors.push_back(new TServiceInfo);
    collectors.push_back(new TNetworkInfo);
    collectors.push_back(new TDriveInfo);
}

void DeleteCollectors(std::vector<TBaseInfo*>& collectors)
{
    for (TBaseInfo* collector : collectors) delete collector;
    collectors.clear();
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
