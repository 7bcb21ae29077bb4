#ifndef ENVCHECK_BENCH_TIMEDAPIS_H
#define ENVCHECK_BENCH_TIMEDAPIS_H

#include "PlatformClock.h"
#include "TimedDxDiag.h"
#include "Thunk.h"
#include "TimedFunctions.h"
#include "info/RegistryApi.h"
#include "info/VersionApi.h"
#include "info/current/CurrentSystemApi.h"
#include "info/directx/DirectXApi.h"
#include "info/drive/DriveApi.h"
#include "info/network/NetworkApi.h"
#include "info/process/ProcessApi.h"
#include "info/service/ServiceApi.h"
#include "info/system/CpuidApi.h"
#include "info/system/SystemApi.h"

// Each seam of the real platform, with every call timed as the platform's.

template <typename Seam>
class TTimedLibraryCalls : public Seam {
public:
    explicit TTimedLibraryCalls(Seam& real) : Real(real) {}
    UINT GetSystemDirectoryA(LPSTR buffer, UINT size) override
    {
        return Timed([&] { return Real.GetSystemDirectoryA(buffer, size); });
    }
    HMODULE LoadLibraryExA(LPCSTR path, HANDLE file, DWORD flags) override
    {
        return Timed([&] { return Real.LoadLibraryExA(path, file, flags); });
    }
    FARPROC GetProcAddress(HMODULE module, LPCSTR name) override
    {
        // A seam may also find functions in loaded modules: the same call either way.
        return TimedFunction(name, Timed([&] { return static_cast<TLibraryApi&>(Real).GetProcAddress(module, name); }));
    }
    BOOL FreeLibrary(HMODULE module) override { return Timed([&] { return Real.FreeLibrary(module); }); }

protected:
    Seam& Real;
};

class TTimedVersionApi : public TVersionApi {
public:
    BOOL GetVersionExA(LPOSVERSIONINFOA info) override
    {
        return Timed([&] { return Win32VersionApi().GetVersionExA(info); });
    }
};

class TTimedRegistryApi : public TRegistryApi {
public:
    LONG RegOpenKeyExA(HKEY root, LPCSTR subkey, DWORD options, REGSAM access, PHKEY key) override
    {
        return Timed([&] { return Real.RegOpenKeyExA(root, subkey, options, access, key); });
    }
    LONG RegCloseKey(HKEY key) override { return Timed([&] { return Real.RegCloseKey(key); }); }
    LONG RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size) override
    {
        return Timed([&] { return Real.RegQueryValueExA(key, name, reserved, type, data, size); });
    }
    LONG RegQueryInfoKeyA(HKEY key, LPSTR className, LPDWORD classLength, LPDWORD reserved, LPDWORD subKeys,
                          LPDWORD maxSubKeyLength, LPDWORD maxClassLength, LPDWORD values, LPDWORD maxValueNameLength,
                          LPDWORD maxValueLength, LPDWORD securityDescriptor, PFILETIME lastWriteTime) override
    {
        return Timed([&] {
            return Real.RegQueryInfoKeyA(key, className, classLength, reserved, subKeys, maxSubKeyLength,
                                         maxClassLength, values, maxValueNameLength, maxValueLength,
                                         securityDescriptor, lastWriteTime);
        });
    }
    LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength, LPDWORD reserved, LPSTR className,
                       LPDWORD classLength, PFILETIME lastWriteTime) override
    {
        return Timed([&] {
            return Real.RegEnumKeyExA(key, index, name, nameLength, reserved, className, classLength, lastWriteTime);
        });
    }

private:
    TRegistryApi& Real = Win32RegistryApi();
};

class TTimedSystemApi : public TSystemApi {
public:
    void GetSystemInfo(LPSYSTEM_INFO info) override { Timed([&] { Real.GetSystemInfo(info); }); }
    HMODULE GetModuleHandleA(LPCSTR name) override { return Timed([&] { return Real.GetModuleHandleA(name); }); }
    FARPROC GetProcAddress(HMODULE module, LPCSTR name) override
    {
        return TimedFunction(name, Timed([&] { return Real.GetProcAddress(module, name); }));
    }
    void GlobalMemoryStatus(LPMEMORYSTATUS status) override { Timed([&] { Real.GlobalMemoryStatus(status); }); }
    int lstrcmpiA(LPCSTR first, LPCSTR second) override { return Timed([&] { return Real.lstrcmpiA(first, second); }); }
    BOOL GetComputerNameA(LPSTR buffer, LPDWORD size) override
    {
        return Timed([&] { return Real.GetComputerNameA(buffer, size); });
    }
    BOOL GetUserNameA(LPSTR buffer, LPDWORD size) override
    {
        return Timed([&] { return Real.GetUserNameA(buffer, size); });
    }
    UINT GetSystemDirectoryA(LPSTR buffer, UINT size) override
    {
        return Timed([&] { return Real.GetSystemDirectoryA(buffer, size); });
    }
    UINT GetWindowsDirectoryA(LPSTR buffer, UINT size) override
    {
        return Timed([&] { return Real.GetWindowsDirectoryA(buffer, size); });
    }
    DWORD ExpandEnvironmentStringsA(LPCSTR source, LPSTR buffer, DWORD size) override
    {
        return Timed([&] { return Real.ExpandEnvironmentStringsA(source, buffer, size); });
    }

private:
    TSystemApi& Real = Win32SystemApi();
};

class TTimedCpuidApi : public TCpuidApi {
public:
    bool HasCpuid() override { return Timed([&] { return Real.HasCpuid(); }); }
    void Cpuid(unsigned leaf, unsigned registers[4]) override { Timed([&] { Real.Cpuid(leaf, registers); }); }
    unsigned long long Xgetbv(unsigned index) override { return Timed([&] { return Real.Xgetbv(index); }); }

private:
    TCpuidApi& Real = ProcessorCpuidApi();
};

class TTimedDriveApi : public TDriveApi {
public:
    DWORD GetLogicalDriveStringsA(DWORD length, LPSTR buffer) override
    {
        return Timed([&] { return Real.GetLogicalDriveStringsA(length, buffer); });
    }
    BOOL GetVolumeInformationA(LPCSTR root, LPSTR volumeName, DWORD volumeNameSize, LPDWORD serialNumber,
                               LPDWORD maximumComponentLength, LPDWORD fileSystemFlags, LPSTR fileSystemName,
                               DWORD fileSystemNameSize) override
    {
        return Timed([&] {
            return Real.GetVolumeInformationA(root, volumeName, volumeNameSize, serialNumber, maximumComponentLength,
                                              fileSystemFlags, fileSystemName, fileSystemNameSize);
        });
    }
    UINT GetDriveTypeA(LPCSTR root) override { return Timed([&] { return Real.GetDriveTypeA(root); }); }
    UINT SetErrorMode(UINT mode) override { return Timed([&] { return Real.SetErrorMode(mode); }); }
    HMODULE GetModuleHandleA(LPCSTR name) override { return Timed([&] { return Real.GetModuleHandleA(name); }); }
    FARPROC GetProcAddress(HMODULE module, LPCSTR name) override
    {
        return TimedFunction(name, Timed([&] { return Real.GetProcAddress(module, name); }));
    }
    BOOL GetDiskFreeSpaceA(LPCSTR root, LPDWORD sectorsPerCluster, LPDWORD bytesPerSector, LPDWORD freeClusters,
                           LPDWORD totalClusters) override
    {
        return Timed([&] {
            return Real.GetDiskFreeSpaceA(root, sectorsPerCluster, bytesPerSector, freeClusters, totalClusters);
        });
    }

private:
    TDriveApi& Real = Win32DriveApi();
};

class TTimedDirectXApi : public TTimedLibraryCalls<TDirectXApi> {
public:
    TTimedDirectXApi() : TTimedLibraryCalls(Win32DirectXApi()) {}
    HRESULT CoCreateInstance(REFCLSID classId, LPUNKNOWN outer, DWORD context, REFIID interfaceId,
                             LPVOID* object) override
    {
        const HRESULT result = Timed([&] { return Real.CoCreateInstance(classId, outer, context, interfaceId, object); });
        if (SUCCEEDED(result) && *object != nullptr && IsEqualIID(interfaceId, IID_IDxDiagProvider))
            *object = static_cast<IDxDiagProvider*>(new TTimedProvider(static_cast<IDxDiagProvider*>(*object)));
        return result;
    }
    void VariantInit(VARIANTARG* value) override { Timed([&] { Real.VariantInit(value); }); }
    HRESULT VariantClear(VARIANTARG* value) override { return Timed([&] { return Real.VariantClear(value); }); }
    int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH wide, int wideLength, LPSTR narrow, int narrowSize,
                            LPCCH defaultChar, LPBOOL usedDefaultChar) override
    {
        return Timed([&] {
            return Real.WideCharToMultiByte(codePage, flags, wide, wideLength, narrow, narrowSize, defaultChar,
                                            usedDefaultChar);
        });
    }
    BOOL IsDBCSLeadByteEx(UINT codePage, BYTE value) override
    {
        return Timed([&] { return Real.IsDBCSLeadByteEx(codePage, value); });
    }
    int StringFromGUID2(REFGUID guid, LPOLESTR text, int size) override
    {
        return Timed([&] { return Real.StringFromGUID2(guid, text, size); });
    }
};

class TTimedProcessApi : public TTimedLibraryCalls<TProcessApi> {
public:
    TTimedProcessApi() : TTimedLibraryCalls(Win32ProcessApi()) {}
    HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId) override
    {
        return Timed([&] { return Real.CreateToolhelp32Snapshot(flags, processId); });
    }
    BOOL Module32First(HANDLE snapshot, LPMODULEENTRY32 entry) override
    {
        return Timed([&] { return Real.Module32First(snapshot, entry); });
    }
    BOOL Module32Next(HANDLE snapshot, LPMODULEENTRY32 entry) override
    {
        return Timed([&] { return Real.Module32Next(snapshot, entry); });
    }
    HANDLE OpenProcess(DWORD access, BOOL inherit, DWORD processId) override
    {
        return Timed([&] { return Real.OpenProcess(access, inherit, processId); });
    }
    BOOL CloseHandle(HANDLE handle) override { return Timed([&] { return Real.CloseHandle(handle); }); }
    int lstrcmpiA(LPCSTR first, LPCSTR second) override { return Timed([&] { return Real.lstrcmpiA(first, second); }); }
};

class TTimedServiceApi : public TTimedLibraryCalls<TServiceApi> {
public:
    TTimedServiceApi() : TTimedLibraryCalls(Win32ServiceApi()) {}
    DWORD GetLastError() override { return Timed([&] { return Real.GetLastError(); }); }
};

class TTimedNetworkApi : public TTimedLibraryCalls<TNetworkApi> {
public:
    TTimedNetworkApi() : TTimedLibraryCalls(Win32NetworkApi()) {}
};

// Its DXGI objects' calls are not timed: they count as envcheck's own.
class TTimedCurrentSystemApi : public TTimedLibraryCalls<TCurrentSystemApi> {
public:
    TTimedCurrentSystemApi() : TTimedLibraryCalls(Win32CurrentSystemApi()) {}
    // Loading a family's library is part of its cost.
    HMODULE LoadLibraryExA(LPCSTR path, HANDLE file, DWORD flags) override
    {
        const std::string name = path != nullptr ? path : "";
        const auto is = [&](const char* file) {
            return name.size() >= strlen(file) && _stricmp(name.c_str() + name.size() - strlen(file), file) == 0;
        };
        TFamilyCall family(is("\\dxgi.dll")                                   ? FamilyDxgi
                           : is("\\d3d11.dll") || is("\\d3d12.dll")           ? FamilyDirect3D
                           : is("\\setupapi.dll") || is("\\cfgmgr32.dll")     ? FamilyDevices
                                                                               : nullptr);
        return TTimedLibraryCalls::LoadLibraryExA(path, file, flags);
    }
    HMODULE GetModuleHandleA(LPCSTR name) override { return Timed([&] { return Real.GetModuleHandleA(name); }); }
    HANDLE GetCurrentProcess() override { return Timed([&] { return Real.GetCurrentProcess(); }); }
    BOOL EnumDisplaySettingsW(LPCWSTR device, DWORD mode, DEVMODEW* settings) override
    {
        TFamilyCall family(FamilyConfiguration);
        return Timed([&] { return Real.EnumDisplaySettingsW(device, mode, settings); });
    }
    HDC GetDC(HWND window) override { return Timed([&] { return Real.GetDC(window); }); }
    int ReleaseDC(HWND window, HDC dc) override { return Timed([&] { return Real.ReleaseDC(window, dc); }); }
    int GetDeviceCaps(HDC dc, int index) override { return Timed([&] { return Real.GetDeviceCaps(dc, index); }); }
    BOOL GetMonitorInfoW(HMONITOR monitor, LPMONITORINFO info) override
    {
        return Timed([&] { return Real.GetMonitorInfoW(monitor, info); });
    }
    int GetSystemMetrics(int index) override { return Timed([&] { return Real.GetSystemMetrics(index); }); }
    DWORD GetLastError() override { return Timed([&] { return Real.GetLastError(); }); }
    DWORD GetTickCount() override { return Timed([&] { return Real.GetTickCount(); }); }
    void GetSystemTimeAsFileTime(LPFILETIME time) override { Timed([&] { Real.GetSystemTimeAsFileTime(time); }); }
    BOOL FileTimeToLocalFileTime(const FILETIME* time, LPFILETIME local) override
    {
        return Timed([&] { return Real.FileTimeToLocalFileTime(time, local); });
    }
    BOOL FileTimeToSystemTime(const FILETIME* time, LPSYSTEMTIME system) override
    {
        return Timed([&] { return Real.FileTimeToSystemTime(time, system); });
    }
    DWORD GetFileAttributesW(LPCWSTR path) override { return Timed([&] { return Real.GetFileAttributesW(path); }); }
    HLOCAL LocalFree(HLOCAL memory) override { return Timed([&] { return Real.LocalFree(memory); }); }
    HRESULT CoCreateInstance(REFCLSID classId, LPUNKNOWN outer, DWORD context, REFIID interfaceId,
                             LPVOID* object) override
    {
        return Timed([&] { return Real.CoCreateInstance(classId, outer, context, interfaceId, object); });
    }
    BSTR SysAllocString(const OLECHAR* text) override { return Timed([&] { return Real.SysAllocString(text); }); }
    void SysFreeString(BSTR text) override { Timed([&] { Real.SysFreeString(text); }); }
    HRESULT VariantClear(VARIANTARG* value) override { return Timed([&] { return Real.VariantClear(value); }); }
    HRESULT CoInitialize(LPVOID reserved) override { return Timed([&] { return Real.CoInitialize(reserved); }); }
    void CoUninitialize() override { Timed([&] { Real.CoUninitialize(); }); }
    uintptr_t _beginthreadex(void* security, unsigned stackSize, unsigned(__stdcall* start)(void*), void* argument,
                             unsigned flags, unsigned* threadId) override
    {
        return Timed([&] { return Real._beginthreadex(security, stackSize, start, argument, flags, threadId); });
    }
    // Security Center is asked on a thread of its own: the section's share of it is this wait.
    DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) override
    {
        TFamilyCall family(FamilySecurityCenter);
        return Timed([&] { return Real.WaitForSingleObject(object, milliseconds); });
    }
    BOOL CloseHandle(HANDLE object) override { return Timed([&] { return Real.CloseHandle(object); }); }
};

#endif
