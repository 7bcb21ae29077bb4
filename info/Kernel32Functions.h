#ifndef ENVCHECK_INFO_KERNEL32FUNCTIONS_H
#define ENVCHECK_INFO_KERNEL32FUNCTIONS_H

#include <windows.h>
#include <tlhelp32.h>

#include "info/RuntimeFunction.h"

// kernel32's functions that some Windows the program runs on lack.
namespace Kernel32 {
ENVCHECK_RUNTIME_FUNCTION(CreateToolhelp32Snapshot)  // NT 4.0 has no toolhelp
ENVCHECK_RUNTIME_FUNCTION(Process32First)
ENVCHECK_RUNTIME_FUNCTION(Process32Next)
ENVCHECK_RUNTIME_FUNCTION(QueryFullProcessImageNameA)  // Vista
ENVCHECK_RUNTIME_FUNCTION(GetDiskFreeSpaceExA)         // 95 OSR2
ENVCHECK_RUNTIME_FUNCTION(GlobalMemoryStatusEx)        // 2000
ENVCHECK_RUNTIME_FUNCTION(SetDllDirectoryA)            // XP SP1
ENVCHECK_RUNTIME_FUNCTION(SetDefaultDllDirectories)    // 8, or 7 and Vista with an update
ENVCHECK_RUNTIME_FUNCTION(AddVectoredExceptionHandler)  // XP
ENVCHECK_RUNTIME_FUNCTION(RemoveVectoredExceptionHandler)
ENVCHECK_RUNTIME_FUNCTION(GetTickCount64)  // Vista
ENVCHECK_RUNTIME_FUNCTION(IsWow64Process)  // XP SP2
ENVCHECK_RUNTIME_FUNCTION(GetSystemPowerStatus)  // 2000 (NT 4.0 lacks it)
ENVCHECK_RUNTIME_FUNCTION_TYPED(IsWow64Process2, BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*))  // 10 1709
// 8; its ProcessMachineTypeInfo from 11.
ENVCHECK_RUNTIME_FUNCTION_TYPED(GetProcessInformation, BOOL(WINAPI*)(HANDLE, PROCESS_INFORMATION_CLASS, LPVOID, DWORD))
ENVCHECK_RUNTIME_FUNCTION_TYPED(GetFirmwareType, BOOL(WINAPI*)(PFIRMWARE_TYPE))  // 8
ENVCHECK_RUNTIME_FUNCTION_TYPED(GetSystemWow64DirectoryA, UINT(WINAPI*)(LPSTR, UINT))  // XP
// NT only; the local time with the daylight saving of that moment, not of today.
ENVCHECK_RUNTIME_FUNCTION(SystemTimeToTzSpecificLocalTime)
}  // namespace Kernel32

#endif
