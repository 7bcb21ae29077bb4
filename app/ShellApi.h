#ifndef ENVCHECK_APP_SHELLAPI_H
#define ENVCHECK_APP_SHELLAPI_H

#include <windows.h>
#include <commdlg.h>
#include <objbase.h>

#include "info/Win32Seam.h"

// Platform seam of the application shell: COM start-up of the worker, the
// two message boxes and the save dialog.
class TShellApi {
public:
    virtual ~TShellApi() = default;
    virtual HRESULT CoInitialize(LPVOID reserved) = 0;
    virtual void CoUninitialize() = 0;
    virtual int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) = 0;
    virtual BOOL GetSaveFileNameA(LPOPENFILENAMEA record) = 0;
};

class TWin32ShellApi : public TShellApi {
public:
    HRESULT CoInitialize(LPVOID reserved) override { return ::CoInitialize(reserved); }
    void CoUninitialize() override { ::CoUninitialize(); }
    int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) override
    {
        return ::MessageBoxA(owner, text, caption, type);
    }
    BOOL GetSaveFileNameA(LPOPENFILENAMEA record) override { return ::GetSaveFileNameA(record); }
};

inline TShellApi& Win32ShellApi() { return Win32Seam<TWin32ShellApi>(); }

#endif
