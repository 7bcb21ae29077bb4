#ifndef ENVCHECK_INFO_PROCESS_PROCESSAPI_H
#define ENVCHECK_INFO_PROCESS_PROCESSAPI_H

#include <windows.h>
#include <tlhelp32.h>

#include "info/LibraryApi.h"
#include "info/Win32Seam.h"

// Platform seam of the process collector (see TVersionApi for the pattern).
// The process walk, the 16-bit task walk and QueryFullProcessImageNameA are
// found at run time through the library calls; the module lookup is direct.
class TProcessApi : public TLibraryApi {
public:
    virtual HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId) = 0;
    virtual BOOL Module32First(HANDLE snapshot, LPMODULEENTRY32 entry) = 0;
    virtual BOOL Module32Next(HANDLE snapshot, LPMODULEENTRY32 entry) = 0;
    virtual HANDLE OpenProcess(DWORD access, BOOL inherit, DWORD processId) = 0;
    virtual BOOL CloseHandle(HANDLE handle) = 0;
    virtual int lstrcmpiA(LPCSTR first, LPCSTR second) = 0;
};

class TWin32ProcessApi : public TWin32LibraryCalls<TProcessApi> {
public:
    HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId) override
    {
        return ::CreateToolhelp32Snapshot(flags, processId);
    }
    BOOL Module32First(HANDLE snapshot, LPMODULEENTRY32 entry) override { return ::Module32First(snapshot, entry); }
    BOOL Module32Next(HANDLE snapshot, LPMODULEENTRY32 entry) override { return ::Module32Next(snapshot, entry); }
    HANDLE OpenProcess(DWORD access, BOOL inherit, DWORD processId) override
    {
        return ::OpenProcess(access, inherit, processId);
    }
    BOOL CloseHandle(HANDLE handle) override { return ::CloseHandle(handle); }
    int lstrcmpiA(LPCSTR first, LPCSTR second) override { return ::lstrcmpiA(first, second); }
};

inline TProcessApi& Win32ProcessApi() { return Win32Seam<TWin32ProcessApi>(); }

#endif
