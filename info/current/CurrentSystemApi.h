#ifndef ENVCHECK_INFO_CURRENT_CURRENTSYSTEMAPI_H
#define ENVCHECK_INFO_CURRENT_CURRENTSYSTEMAPI_H

#include <windows.h>

#include "info/LibraryApi.h"
#include "info/RuntimeFunction.h"
#include "info/Win32Seam.h"

// Platform seam of the current-system collector (see TVersionApi for the
// pattern). Functions that older Windows lack are found at run time: in
// ntdll, kernel32 and user32, which the process has, or in dxgi, shcore,
// d3d11, d3d12, setupapi and cfgmgr32, loaded from the system directory. Its
// registry reads go through TRegistryApi.
class TCurrentSystemApi : public TLibraryApi, public TModuleApi {
public:
    virtual HANDLE GetCurrentProcess() = 0;
    virtual BOOL EnumDisplaySettingsW(LPCWSTR device, DWORD mode, DEVMODEW* settings) = 0;
    virtual HDC GetDC(HWND window) = 0;
    virtual int ReleaseDC(HWND window, HDC dc) = 0;
    virtual int GetDeviceCaps(HDC dc, int index) = 0;
    virtual BOOL GetMonitorInfoW(HMONITOR monitor, LPMONITORINFO info) = 0;
    virtual int GetSystemMetrics(int index) = 0;
};

class TWin32CurrentSystemApi : public TWin32LibraryCalls<TWin32ModuleCalls<TCurrentSystemApi>> {
public:
    FARPROC GetProcAddress(HMODULE module, LPCSTR name) override { return ::GetProcAddress(module, name); }
    HANDLE GetCurrentProcess() override { return ::GetCurrentProcess(); }
    BOOL EnumDisplaySettingsW(LPCWSTR device, DWORD mode, DEVMODEW* settings) override
    {
        return ::EnumDisplaySettingsW(device, mode, settings);
    }
    HDC GetDC(HWND window) override { return ::GetDC(window); }
    int ReleaseDC(HWND window, HDC dc) override { return ::ReleaseDC(window, dc); }
    int GetDeviceCaps(HDC dc, int index) override { return ::GetDeviceCaps(dc, index); }
    BOOL GetMonitorInfoW(HMONITOR monitor, LPMONITORINFO info) override { return ::GetMonitorInfoW(monitor, info); }
    int GetSystemMetrics(int index) override { return ::GetSystemMetrics(index); }
};

inline TCurrentSystemApi& Win32CurrentSystemApi() { return Win32Seam<TWin32CurrentSystemApi>(); }

#endif
