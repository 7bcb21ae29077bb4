#ifndef ENVCHECK_INFO_CURRENT_CURRENTSYSTEMAPI_H
#define ENVCHECK_INFO_CURRENT_CURRENTSYSTEMAPI_H

#include <windows.h>
#include <process.h>

#include <cstdint>

#include "info/LibraryApi.h"
#include "info/RuntimeFunction.h"
#include "info/Win32Seam.h"

// Platform seam of the current-system collector (see TVersionApi for the
// pattern). Functions that older Windows lack are found at run time: in
// ntdll, kernel32, user32, advapi32 and ole32, which the process has, or in
// dxgi, shcore, d3d11, d3d12, setupapi, cfgmgr32, tbs and powrprof, loaded
// from the system directory. Its registry reads go through TRegistryApi, and
// CPUID through TCpuidApi.
class TCurrentSystemApi : public TLibraryApi, public TModuleApi {
public:
    virtual HANDLE GetCurrentProcess() = 0;
    virtual BOOL EnumDisplaySettingsW(LPCWSTR device, DWORD mode, DEVMODEW* settings) = 0;
    virtual HDC GetDC(HWND window) = 0;
    virtual int ReleaseDC(HWND window, HDC dc) = 0;
    virtual int GetDeviceCaps(HDC dc, int index) = 0;
    virtual BOOL GetMonitorInfoW(HMONITOR monitor, LPMONITORINFO info) = 0;
    virtual int GetSystemMetrics(int index) = 0;
    virtual DWORD GetLastError() = 0;
    virtual DWORD GetTickCount() = 0;
    virtual void GetSystemTimeAsFileTime(LPFILETIME time) = 0;
    virtual BOOL FileTimeToLocalFileTime(const FILETIME* time, LPFILETIME local) = 0;
    virtual BOOL FileTimeToSystemTime(const FILETIME* time, LPSYSTEMTIME system) = 0;
    virtual DWORD GetFileAttributesW(LPCWSTR path) = 0;
    virtual HLOCAL LocalFree(HLOCAL memory) = 0;
    virtual HRESULT CoCreateInstance(REFCLSID classId, LPUNKNOWN outer, DWORD context, REFIID interfaceId,
                                     LPVOID* object) = 0;
    virtual BSTR SysAllocString(const OLECHAR* text) = 0;
    virtual void SysFreeString(BSTR text) = 0;
    virtual HRESULT VariantClear(VARIANTARG* value) = 0;
    virtual HRESULT CoInitialize(LPVOID reserved) = 0;
    virtual void CoUninitialize() = 0;
    virtual uintptr_t _beginthreadex(void* security, unsigned stackSize, unsigned(__stdcall* start)(void*),
                                     void* argument, unsigned flags, unsigned* threadId) = 0;
    virtual DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) = 0;
    virtual BOOL CloseHandle(HANDLE object) = 0;
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
    DWORD GetLastError() override { return ::GetLastError(); }
    DWORD GetTickCount() override { return ::GetTickCount(); }
    void GetSystemTimeAsFileTime(LPFILETIME time) override { ::GetSystemTimeAsFileTime(time); }
    BOOL FileTimeToLocalFileTime(const FILETIME* time, LPFILETIME local) override
    {
        return ::FileTimeToLocalFileTime(time, local);
    }
    BOOL FileTimeToSystemTime(const FILETIME* time, LPSYSTEMTIME system) override
    {
        return ::FileTimeToSystemTime(time, system);
    }
    DWORD GetFileAttributesW(LPCWSTR path) override { return ::GetFileAttributesW(path); }
    HLOCAL LocalFree(HLOCAL memory) override { return ::LocalFree(memory); }
    HRESULT CoCreateInstance(REFCLSID classId, LPUNKNOWN outer, DWORD context, REFIID interfaceId,
                             LPVOID* object) override
    {
        return ::CoCreateInstance(classId, outer, context, interfaceId, object);
    }
    BSTR SysAllocString(const OLECHAR* text) override { return ::SysAllocString(text); }
    void SysFreeString(BSTR text) override { ::SysFreeString(text); }
    HRESULT VariantClear(VARIANTARG* value) override { return ::VariantClear(value); }
    HRESULT CoInitialize(LPVOID reserved) override { return ::CoInitialize(reserved); }
    void CoUninitialize() override { ::CoUninitialize(); }
    uintptr_t _beginthreadex(void* security, unsigned stackSize, unsigned(__stdcall* start)(void*), void* argument,
                             unsigned flags, unsigned* threadId) override
    {
        return ::_beginthreadex(security, stackSize, start, argument, flags, threadId);
    }
    DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) override
    {
        return ::WaitForSingleObject(object, milliseconds);
    }
    BOOL CloseHandle(HANDLE object) override { return ::CloseHandle(object); }
};

inline TCurrentSystemApi& Win32CurrentSystemApi() { return Win32Seam<TWin32CurrentSystemApi>(); }

#endif
