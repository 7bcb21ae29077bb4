// winsock2.h must come before windows.h, which iphlpapi.h needs it for.
#include <winsock2.h>

#include "TimedFunctions.h"

#include <d3d9.h>
#include <d3d11.h>
#include <d3d12.h>
#include <dxgi.h>
#include <setupapi.h>
#include <cfgmgr32.h>
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
    ENVCHECK_FAMILY_THUNK(FamilyDxgi, CreateDXGIFactory1, HRESULT, REFIID, void**);
    ENVCHECK_FAMILY_THUNK(FamilyDirect3D, D3D11CreateDevice, HRESULT, IDXGIAdapter*, D3D_DRIVER_TYPE, HMODULE, UINT,
                          const D3D_FEATURE_LEVEL*, UINT, UINT, ID3D11Device**, D3D_FEATURE_LEVEL*,
                          ID3D11DeviceContext**);
    ENVCHECK_FAMILY_THUNK(FamilyDirect3D, D3D12CreateDevice, HRESULT, IUnknown*, D3D_FEATURE_LEVEL, REFIID, void**);
    ENVCHECK_FAMILY_THUNK(FamilyConfiguration, GetDisplayConfigBufferSizes, LONG, UINT32, UINT32*, UINT32*);
    ENVCHECK_FAMILY_THUNK(FamilyConfiguration, QueryDisplayConfig, LONG, UINT32, UINT32*, DISPLAYCONFIG_PATH_INFO*,
                          UINT32*, DISPLAYCONFIG_MODE_INFO*, DISPLAYCONFIG_TOPOLOGY_ID*);
    ENVCHECK_FAMILY_THUNK(FamilyConfiguration, DisplayConfigGetDeviceInfo, LONG, DISPLAYCONFIG_DEVICE_INFO_HEADER*);
    ENVCHECK_FAMILY_THUNK(FamilyDevices, SetupDiGetClassDevsW, HDEVINFO, const GUID*, PCWSTR, HWND, DWORD);
    ENVCHECK_FAMILY_THUNK(FamilyDevices, SetupDiEnumDeviceInfo, BOOL, HDEVINFO, DWORD, PSP_DEVINFO_DATA);
    ENVCHECK_FAMILY_THUNK(FamilyDevices, SetupDiGetDeviceRegistryPropertyW, BOOL, HDEVINFO, PSP_DEVINFO_DATA, DWORD,
                          PDWORD, PBYTE, DWORD, PDWORD);
    ENVCHECK_FAMILY_THUNK(FamilyDevices, SetupDiDestroyDeviceInfoList, BOOL, HDEVINFO);
    ENVCHECK_FAMILY_THUNK(FamilyDevices, CM_Get_DevNode_Status, CONFIGRET, PULONG, PULONG, DEVINST, ULONG);
    ENVCHECK_FAMILY_THUNK(FamilyPrerequisites, GetFirmwareType, BOOL, PFIRMWARE_TYPE);
    ENVCHECK_FAMILY_THUNK(FamilyPrerequisites, NtQuerySystemInformation, LONG, ULONG, PVOID, ULONG, PULONG);
    ENVCHECK_FAMILY_THUNK(FamilyPrerequisites, Tbsi_GetDeviceInfo, UINT32, UINT32, PVOID);
    ENVCHECK_FAMILY_THUNK(FamilyPrerequisites, PowerGetActiveScheme, DWORD, HKEY, GUID**);
    ENVCHECK_FAMILY_THUNK(FamilyPrerequisites, PowerReadFriendlyName, DWORD, HKEY, const GUID*, const GUID*,
                          const GUID*, PUCHAR, LPDWORD);
    ENVCHECK_THUNK(GetSystemWow64DirectoryA, UINT, LPSTR, UINT);
    ENVCHECK_THUNK(CoSetProxyBlanket, HRESULT, IUnknown*, DWORD, DWORD, OLECHAR*, DWORD, DWORD, RPC_AUTH_IDENTITY_HANDLE,
                   DWORD);
    ENVCHECK_THUNK(SystemTimeToTzSpecificLocalTime, BOOL, const TIME_ZONE_INFORMATION*, const SYSTEMTIME*, LPSYSTEMTIME);
    ENVCHECK_FAMILY_THUNK(FamilyEventLog, OpenEventLogW, HANDLE, LPCWSTR, LPCWSTR);
    ENVCHECK_FAMILY_THUNK(FamilyEventLog, ReadEventLogW, BOOL, HANDLE, DWORD, DWORD, LPVOID, DWORD, DWORD*, DWORD*);
    ENVCHECK_FAMILY_THUNK(FamilyEventLog, CloseEventLog, BOOL, HANDLE);
    // Takes no arguments, so either calling convention calls it alike.
    ENVCHECK_THUNK(wine_get_version, const char*);
    if (strcmp(function, "Direct3DCreate9") == 0) {
        RealDirect3DCreate9 = FunctionCast<decltype(RealDirect3DCreate9)>(real);
        return FunctionCast<FARPROC>(&TimedDirect3DCreate9);
    }
    UntimedFunctions.insert(function);
    return real;
}
