#ifndef ENVCHECK_INFO_SYSTEM_SYSTEMAPI_H
#define ENVCHECK_INFO_SYSTEM_SYSTEMAPI_H

#include <windows.h>

#include "info/RuntimeFunction.h"
#include "info/Win32Seam.h"

// Platform seam of the system collector (see TVersionApi for the pattern).
// Its registry reads go through TRegistryApi.
class TSystemApi : public TModuleApi {
public:
    virtual void GetSystemInfo(LPSYSTEM_INFO info) = 0;
    virtual void GlobalMemoryStatus(LPMEMORYSTATUS status) = 0;
    virtual int lstrcmpiA(LPCSTR first, LPCSTR second) = 0;
    virtual BOOL GetComputerNameA(LPSTR buffer, LPDWORD size) = 0;
    virtual BOOL GetUserNameA(LPSTR buffer, LPDWORD size) = 0;
    virtual UINT GetSystemDirectoryA(LPSTR buffer, UINT size) = 0;
    virtual UINT GetWindowsDirectoryA(LPSTR buffer, UINT size) = 0;
    virtual DWORD ExpandEnvironmentStringsA(LPCSTR source, LPSTR buffer, DWORD size) = 0;
};

class TWin32SystemApi : public TWin32ModuleCalls<TSystemApi> {
public:
    void GetSystemInfo(LPSYSTEM_INFO info) override { ::GetSystemInfo(info); }
    void GlobalMemoryStatus(LPMEMORYSTATUS status) override { ::GlobalMemoryStatus(status); }
    int lstrcmpiA(LPCSTR first, LPCSTR second) override { return ::lstrcmpiA(first, second); }
    BOOL GetComputerNameA(LPSTR buffer, LPDWORD size) override { return ::GetComputerNameA(buffer, size); }
    BOOL GetUserNameA(LPSTR buffer, LPDWORD size) override { return ::GetUserNameA(buffer, size); }
    UINT GetSystemDirectoryA(LPSTR buffer, UINT size) override { return ::GetSystemDirectoryA(buffer, size); }
    UINT GetWindowsDirectoryA(LPSTR buffer, UINT size) override { return ::GetWindowsDirectoryA(buffer, size); }
    DWORD ExpandEnvironmentStringsA(LPCSTR source, LPSTR buffer, DWORD size) override
    {
        return ::ExpandEnvironmentStringsA(source, buffer, size);
    }
};

inline TSystemApi& Win32SystemApi() { return Win32Seam<TWin32SystemApi>(); }

#endif
