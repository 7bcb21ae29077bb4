#ifndef ENVCHECK_INFO_CURRENT_CURRENTFUNCTIONS_H
#define ENVCHECK_INFO_CURRENT_CURRENTFUNCTIONS_H

#include <windows.h>
#include <d3d11.h>
#include <d3d12.h>
#include <dxgi.h>
#include <setupapi.h>
#include <cfgmgr32.h>
#include <shellscalingapi.h>

#include "info/RuntimeFunction.h"

// The current-system collector's functions that some Windows lack, per
// library (kernel32's are with the others in Kernel32Functions.h).
namespace Ntdll {
// The true version, whatever compatibility answer GetVersionEx gives.
ENVCHECK_RUNTIME_FUNCTION_TYPED(RtlGetVersion, LONG(WINAPI*)(PRTL_OSVERSIONINFOW))
// Code integrity's options from Vista (SystemCodeIntegrityInformation).
ENVCHECK_RUNTIME_FUNCTION_TYPED(NtQuerySystemInformation, LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG))
// Only Wine's ntdll has it.
ENVCHECK_RUNTIME_FUNCTION_TYPED(wine_get_version, const char*(CDECL*)())
}  // namespace Ntdll

namespace User32 {
ENVCHECK_RUNTIME_FUNCTION_TYPED(SetThreadDpiAwarenessContext,
                                DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT))  // 10 1607
ENVCHECK_RUNTIME_FUNCTION(GetDisplayConfigBufferSizes)  // 7
ENVCHECK_RUNTIME_FUNCTION(QueryDisplayConfig)           // 7
ENVCHECK_RUNTIME_FUNCTION(DisplayConfigGetDeviceInfo)   // 7
}  // namespace User32

namespace Shcore {
ENVCHECK_RUNTIME_FUNCTION_TYPED(GetDpiForMonitor, HRESULT(WINAPI*)(HMONITOR, MONITOR_DPI_TYPE, UINT*, UINT*))  // 8.1
}  // namespace Shcore

namespace Dxgi {
ENVCHECK_RUNTIME_FUNCTION(CreateDXGIFactory1)  // Vista with the platform update, 7
}  // namespace Dxgi

namespace D3d11 {
ENVCHECK_RUNTIME_FUNCTION(D3D11CreateDevice)  // 7, Vista with the platform update
}  // namespace D3d11

namespace D3d12 {
ENVCHECK_RUNTIME_FUNCTION(D3D12CreateDevice)  // 10
}  // namespace D3d12

// The device list is Windows 2000's, but setupapi and cfgmgr32 are loaded
// only when the section asks for them, from the system directory.
namespace Setupapi {
ENVCHECK_RUNTIME_FUNCTION(SetupDiGetClassDevsW)
ENVCHECK_RUNTIME_FUNCTION(SetupDiEnumDeviceInfo)
ENVCHECK_RUNTIME_FUNCTION(SetupDiGetDeviceRegistryPropertyW)
ENVCHECK_RUNTIME_FUNCTION(SetupDiDestroyDeviceInfoList)
}  // namespace Setupapi

namespace Cfgmgr32 {
ENVCHECK_RUNTIME_FUNCTION(CM_Get_DevNode_Status)
}  // namespace Cfgmgr32

namespace Tbs {
ENVCHECK_RUNTIME_FUNCTION_TYPED(Tbsi_GetDeviceInfo, UINT32(WINAPI*)(UINT32, PVOID))  // 8
}  // namespace Tbs

namespace Powrprof {
ENVCHECK_RUNTIME_FUNCTION_TYPED(PowerGetActiveScheme, DWORD(WINAPI*)(HKEY, GUID**))  // Vista
ENVCHECK_RUNTIME_FUNCTION_TYPED(PowerReadFriendlyName,
                                DWORD(WINAPI*)(HKEY, const GUID*, const GUID*, const GUID*, PUCHAR, LPDWORD))
}  // namespace Powrprof

// Windows 9x's advapi32 has no event log.
namespace Advapi32 {
ENVCHECK_RUNTIME_FUNCTION(OpenEventLogW)
ENVCHECK_RUNTIME_FUNCTION(ReadEventLogW)
ENVCHECK_RUNTIME_FUNCTION(CloseEventLog)
}  // namespace Advapi32

// Only with DCOM (NT 4.0, 98); Security Center's namespace is asked through it.
namespace Ole32 {
ENVCHECK_RUNTIME_FUNCTION(CoSetProxyBlanket)
}  // namespace Ole32

// What tbs.h leaves out: Tbsi_GetDeviceInfo's answer.
struct TpmDeviceInfo {
    UINT32 StructVersion;
    UINT32 TpmVersion;  // 1: 1.2, 2: 2.0
    UINT32 InterfaceType;
    UINT32 ImpRevision;
};
const UINT32 TbsTpmNotFound = 0x8028400F;  // TBS_E_TPM_NOT_FOUND
const ULONG SystemCodeIntegrity = 103;     // SystemCodeIntegrityInformation

#endif
