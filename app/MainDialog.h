#ifndef ENVCHECK_APP_MAINDIALOG_H
#define ENVCHECK_APP_MAINDIALOG_H

#include <windows.h>

#include <vector>

#include "app/CheckThread.h"
#include "info/BaseInfo.h"

const int IDD_MAIN = 101;
const int IDI_MAIN = 102;

// Owned by the dialog from its initialisation to its exit.
extern std::vector<TBaseInfo*> CollectorList;
extern TCheckThread* WorkerThread;

// The six collectors, in report order.
void CreateCollectors(std::vector<TBaseInfo*>& collectors);
void DeleteCollectors(std::vector<TBaseInfo*>& collectors);

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
