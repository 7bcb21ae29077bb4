#ifndef ENVCHECK_APP_SHELLAPI_H
#define ENVCHECK_APP_SHELLAPI_H

#include <windows.h>
#include <commdlg.h>
#include <objbase.h>

#include "info/WideText.h"
#include "info/Win32Seam.h"

// Platform seam of the application shell: COM start-up of the worker, the
// message boxes and the save dialog. Wide, so that their Japanese texts show
// as written whatever the ANSI code page.
class TShellApi {
public:
    virtual ~TShellApi() = default;
    virtual HRESULT CoInitialize(LPVOID reserved) = 0;
    virtual void CoUninitialize() = 0;
    virtual int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) = 0;
    virtual BOOL GetSaveFileNameW(LPOPENFILENAMEW record) = 0;
};

class TWin32ShellApi : public TShellApi {
public:
    HRESULT CoInitialize(LPVOID reserved) override { return ::CoInitialize(reserved); }
    void CoUninitialize() override { ::CoUninitialize(); }
    int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) override
    {
        return ::MessageBoxW(owner, text, caption, type);
    }
    BOOL GetSaveFileNameW(LPOPENFILENAMEW record) override { return ::GetSaveFileNameW(record); }
};

inline TShellApi& Win32ShellApi() { return Win32Seam<TWin32ShellApi>(); }

// The program's error box: its own cp932 texts, with no owner.
inline void ShowError(TShellApi& api, const char* text, const char* caption)
{
    api.MessageBoxW(nullptr, WideText(text, ReportCodePage).c_str(), WideText(caption, ReportCodePage).c_str(),
                    MB_ICONEXCLAMATION);
}

#endif
