// winsock2.h must come before windows.h, which iphlpapi.h needs it for.
#include <winsock2.h>

#include "TimedFunctions.h"

#include <d3d9.h>
#include <dxgi.h>
#include <shellscalingapi.h>
#include <iphlpapi.h>
#include <tlhelp32.h>
#include <vdmdbg.h>

#include "PlatformClock.h"
#include "Thunk.h"
#include "TimedDirect3D.h"

std::set<std::string> UntimedFunctions;

namespace {

IDirect3D9* WINAPI TimedDirect3DCreate9(UINT version);
IDirect3D9*(WINAPI* RealDirect3DCreate9)(UINT) = nullptr;

IDirect3D9* WINAPI TimedDirect3DCreate9(UINT version)
{
    IDirect3D9* created;
    {
        TPlatformCall timing;
        created = RealDirect3DCreate9(version);
    }
    return created != nullptr ? new TTimedDirect3D(created) : nullptr;
}

}  // namespace

FARPROC TimedFunction(LPCSTR function, FARPROC real)
{
    if (real == nullptr || function == nullptr || reinterpret_cast<UINT_PTR>(function) <= 0xFFFF) return real;
    ENVCHECK_THUNK(CreateToolhelp32Snapshot, HANDLE, DWORD, DWORD);
    ENVCHECK_THUNK(Process32First, BOOL, HANDLE, LPPROCESSENTRY32);
    ENVCHECK_THUNK(Process32Next, BOOL, HANDLE, LPPROCESSENTRY32);
    ENVCHECK_THUNK(QueryFullProcessImageNameA, BOOL, HANDLE, DWORD, LPSTR, PDWORD);
    ENVCHECK_THUNK(VDMEnumTaskWOWEx, INT, DWORD, TASKENUMPROCEX, LPARAM);
    ENVCHECK_THUNK(GlobalMemoryStatusEx, BOOL, LPMEMORYSTATUSEX);
    ENVCHECK_THUNK(GetDiskFreeSpaceExA, BOOL, LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
    ENVCHECK_THUNK(OpenSCManagerA, SC_HANDLE, LPCSTR, LPCSTR, DWORD);
    ENVCHECK_THUNK(EnumServicesStatusExA, BOOL, SC_HANDLE, SC_ENUM_TYPE, DWORD, DWORD, LPBYTE, DWORD, LPDWORD,
                   LPDWORD, LPDWORD, LPCSTR);
    ENVCHECK_THUNK(CloseServiceHandle, BOOL, SC_HANDLE);
    ENVCHECK_THUNK(GetNetworkParams, DWORD, PFIXED_INFO, PULONG);
    ENVCHECK_THUNK(GetNumberOfInterfaces, DWORD, PDWORD);
    ENVCHECK_THUNK(GetAdaptersInfo, DWORD, PIP_ADAPTER_INFO, PULONG);
    ENVCHECK_THUNK(GetIfEntry, DWORD, PMIB_IFROW);
    ENVCHECK_THUNK(RtlGetVersion, LONG, PRTL_OSVERSIONINFOW);
    ENVCHECK_THUNK(IsWow64Process, BOOL, HANDLE, PBOOL);
    ENVCHECK_THUNK(IsWow64Process2, BOOL, HANDLE, USHORT*, USHORT*);
    ENVCHECK_THUNK(GetProcessInformation, BOOL, HANDLE, PROCESS_INFORMATION_CLASS, LPVOID, DWORD);
    ENVCHECK_THUNK(GetSystemPowerStatus, BOOL, LPSYSTEM_POWER_STATUS);
    ENVCHECK_THUNK(SetThreadDpiAwarenessContext, DPI_AWARENESS_CONTEXT, DPI_AWARENESS_CONTEXT);
    ENVCHECK_THUNK(GetDpiForMonitor, HRESULT, HMONITOR, MONITOR_DPI_TYPE, UINT*, UINT*);
    ENVCHECK_THUNK(CreateDXGIFactory1, HRESULT, REFIID, void**);
    if (strcmp(function, "Direct3DCreate9") == 0) {
        RealDirect3DCreate9 = FunctionCast<decltype(RealDirect3DCreate9)>(real);
        return FunctionCast<FARPROC>(&TimedDirect3DCreate9);
    }
    UntimedFunctions.insert(function);
    return real;
}
