#ifndef ENVCHECK_APP_MAINDIALOG_H
#define ENVCHECK_APP_MAINDIALOG_H

#include <windows.h>

#include <vector>

#include "app/CheckThread.h"
#include "app/ShellApi.h"
#include "app/resource.h"
#include "info/BaseInfo.h"

// Owned by the dialog from its initialisation to its exit.
extern std::vector<TBaseInfo*> CollectorList;
extern TCheckThread* WorkerThread;

// The Start button: a fresh view with the start line, and the worker resumed.
void OnStart(HWND dialog, TThread& worker);

// The Save button: asks for a file name, writes the report, and reports a
// failure with the error box.
void OnSave(HWND dialog, std::vector<TBaseInfo*>& collectors, TShellApi& api = Win32ShellApi());

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The dialog from its resource, until it ends. Wide, so that the resource's
// texts reach the controls as written whatever the ANSI code page.
INT_PTR RunMainDialog(HINSTANCE instance);

#endif
