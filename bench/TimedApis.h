#ifndef ENVCHECK_BENCH_TIMEDAPIS_H
#define ENVCHECK_BENCH_TIMEDAPIS_H

#include <dxdiag.h>

#include <utility>

#include "PlatformClock.h"
#include "Thunk.h"
#include "TimedFunctions.h"
#include "TimedRefCount.h"
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

// A seam that hands each call on to the real one.
template <typename Seam>
class TTimedSeam : public Seam {
public:
    explicit TTimedSeam(Seam& real) : Real(real) {}

protected:
    // The real seam's member, called as one timed call.
    template <typename Member, typename... Arguments>
    auto Call(Member member, Arguments&&... arguments)
    {
        return Timed([&] { return (Real.*member)(std::forward<Arguments>(arguments)...); });
    }
    Seam& Real;
};

// The calls of TModuleApi, the mirror of TWin32ModuleCalls.
template <typename Seam, typename Base = TTimedSeam<Seam>>
class TTimedModuleCalls : public Base {
public:
    using Base::Base;
    HMODULE GetModuleHandleA(LPCSTR name) override { return this->Call(&TModuleApi::GetModuleHandleA, name); }
    FARPROC GetProcAddress(HMODULE module, LPCSTR name) override
    {
        return TimedFunction(name, this->Call(&TModuleApi::GetProcAddress, module, name));
    }
};

// The calls of TLibraryApi, the mirror of TWin32LibraryCalls.
template <typename Seam, typename Base = TTimedSeam<Seam>>
class TTimedLibraryCalls : public Base {
public:
    using Base::Base;
    UINT GetSystemDirectoryA(LPSTR buffer, UINT size) override
    {
        return this->Call(&TLibraryApi::GetSystemDirectoryA, buffer, size);
    }
    HMODULE LoadLibraryExA(LPCSTR path, HANDLE file, DWORD flags) override
    {
        return this->Call(&TLibraryApi::LoadLibraryExA, path, file, flags);
    }
    // A seam may also find functions in loaded modules: the same call either way.
    FARPROC GetProcAddress(HMODULE module, LPCSTR name) override
    {
        return TimedFunction(name, this->Call(&TLibraryApi::GetProcAddress, module, name));
    }
    BOOL FreeLibrary(HMODULE module) override { return this->Call(&TLibraryApi::FreeLibrary, module); }
};

class TTimedVersionApi : public TVersionApi {
public:
    BOOL GetVersionExA(LPOSVERSIONINFOA info) override
    {
        return Timed([&] { return Win32VersionApi().GetVersionExA(info); });
    }
};

class TTimedRegistryApi : public TTimedSeam<TRegistryApi> {
public:
    TTimedRegistryApi() : TTimedSeam(Win32RegistryApi()) {}
    LONG RegOpenKeyExA(HKEY root, LPCSTR subkey, DWORD options, REGSAM access, PHKEY key) override
    {
        return Call(&TRegistryApi::RegOpenKeyExA, root, subkey, options, access, key);
    }
    LONG RegCloseKey(HKEY key) override { return Call(&TRegistryApi::RegCloseKey, key); }
    LONG RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size) override
    {
        return Call(&TRegistryApi::RegQueryValueExA, key, name, reserved, type, data, size);
    }
    LONG RegQueryInfoKeyA(HKEY key, LPSTR className, LPDWORD classLength, LPDWORD reserved, LPDWORD subKeys,
                          LPDWORD maxSubKeyLength, LPDWORD maxClassLength, LPDWORD values, LPDWORD maxValueNameLength,
                          LPDWORD maxValueLength, LPDWORD securityDescriptor, PFILETIME lastWriteTime) override
    {
        return Call(&TRegistryApi::RegQueryInfoKeyA, key, className, classLength, reserved, subKeys, maxSubKeyLength,
                    maxClassLength, values, maxValueNameLength, maxValueLength, securityDescriptor, lastWriteTime);
    }
    LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength, LPDWORD reserved, LPSTR className,
                       LPDWORD classLength, PFILETIME lastWriteTime) override
    {
        return Call(&TRegistryApi::RegEnumKeyExA, key, index, name, nameLength, reserved, className, classLength,
                    lastWriteTime);
    }
};

class TTimedSystemApi : public TTimedModuleCalls<TSystemApi> {
public:
    TTimedSystemApi() : TTimedModuleCalls(Win32SystemApi()) {}
    void GetSystemInfo(LPSYSTEM_INFO info) override { Call(&TSystemApi::GetSystemInfo, info); }
    void GlobalMemoryStatus(LPMEMORYSTATUS status) override { Call(&TSystemApi::GlobalMemoryStatus, status); }
    int lstrcmpiA(LPCSTR first, LPCSTR second) override { return Call(&TSystemApi::lstrcmpiA, first, second); }
    BOOL GetComputerNameA(LPSTR buffer, LPDWORD size) override
    {
        return Call(&TSystemApi::GetComputerNameA, buffer, size);
    }
    BOOL GetUserNameA(LPSTR buffer, LPDWORD size) override { return Call(&TSystemApi::GetUserNameA, buffer, size); }
    UINT GetSystemDirectoryA(LPSTR buffer, UINT size) override
    {
        return Call(&TSystemApi::GetSystemDirectoryA, buffer, size);
    }
    UINT GetWindowsDirectoryA(LPSTR buffer, UINT size) override
    {
        return Call(&TSystemApi::GetWindowsDirectoryA, buffer, size);
    }
    DWORD ExpandEnvironmentStringsA(LPCSTR source, LPSTR buffer, DWORD size) override
    {
        return Call(&TSystemApi::ExpandEnvironmentStringsA, source, buffer, size);
    }
};

class TTimedCpuidApi : public TTimedSeam<TCpuidApi> {
public:
    TTimedCpuidApi() : TTimedSeam(ProcessorCpuidApi()) {}
    bool HasCpuid() override { return Call(&TCpuidApi::HasCpuid); }
    void Cpuid(unsigned leaf, unsigned registers[4]) override { Call(&TCpuidApi::Cpuid, leaf, registers); }
    unsigned long long Xgetbv(unsigned index) override { return Call(&TCpuidApi::Xgetbv, index); }
};

class TTimedDriveApi : public TTimedModuleCalls<TDriveApi> {
public:
    TTimedDriveApi() : TTimedModuleCalls(Win32DriveApi()) {}
    DWORD GetLogicalDriveStringsA(DWORD length, LPSTR buffer) override
    {
        return Call(&TDriveApi::GetLogicalDriveStringsA, length, buffer);
    }
    BOOL GetVolumeInformationA(LPCSTR root, LPSTR volumeName, DWORD volumeNameSize, LPDWORD serialNumber,
                               LPDWORD maximumComponentLength, LPDWORD fileSystemFlags, LPSTR fileSystemName,
                               DWORD fileSystemNameSize) override
    {
        return Call(&TDriveApi::GetVolumeInformationA, root, volumeName, volumeNameSize, serialNumber,
                    maximumComponentLength, fileSystemFlags, fileSystemName, fileSystemNameSize);
    }
    UINT GetDriveTypeA(LPCSTR root) override { return Call(&TDriveApi::GetDriveTypeA, root); }
    UINT SetErrorMode(UINT mode) override { return Call(&TDriveApi::SetErrorMode, mode); }
    BOOL GetDiskFreeSpaceA(LPCSTR root, LPDWORD sectorsPerCluster, LPDWORD bytesPerSector, LPDWORD freeClusters,
                           LPDWORD totalClusters) override
    {
        return Call(&TDriveApi::GetDiskFreeSpaceA, root, sectorsPerCluster, bytesPerSector, freeClusters,
                    totalClusters);
    }
};

// DxDiag's objects, each call timed.
class TTimedContainer : public TTimedObject<IDxDiagContainer> {
public:
    using TTimedObject::TTimedObject;
    HRESULT STDMETHODCALLTYPE GetNumberOfChildContainers(DWORD* count) override
    {
        return Timed([&] { return Real->GetNumberOfChildContainers(count); });
    }
    HRESULT STDMETHODCALLTYPE EnumChildContainerNames(DWORD index, LPWSTR name, DWORD size) override
    {
        return Timed([&] { return Real->EnumChildContainerNames(index, name, size); });
    }
    HRESULT STDMETHODCALLTYPE GetChildContainer(LPCWSTR path, IDxDiagContainer** child) override
    {
        const HRESULT result = Timed([&] { return Real->GetChildContainer(path, child); });
        if (SUCCEEDED(result) && *child != nullptr) *child = new TTimedContainer(*child);
        return result;
    }
    HRESULT STDMETHODCALLTYPE GetNumberOfProps(DWORD* count) override
    {
        return Timed([&] { return Real->GetNumberOfProps(count); });
    }
    HRESULT STDMETHODCALLTYPE EnumPropNames(DWORD index, LPWSTR name, DWORD size) override
    {
        return Timed([&] { return Real->EnumPropNames(index, name, size); });
    }
    HRESULT STDMETHODCALLTYPE GetProp(LPCWSTR name, VARIANT* value) override
    {
        return Timed([&] { return Real->GetProp(name, value); });
    }
};

class TTimedProvider : public TTimedObject<IDxDiagProvider> {
public:
    using TTimedObject::TTimedObject;
    HRESULT STDMETHODCALLTYPE Initialize(DXDIAG_INIT_PARAMS* parameters) override
    {
        return Timed([&] { return Real->Initialize(parameters); });
    }
    HRESULT STDMETHODCALLTYPE GetRootContainer(IDxDiagContainer** root) override
    {
        const HRESULT result = Timed([&] { return Real->GetRootContainer(root); });
        if (SUCCEEDED(result) && *root != nullptr) *root = new TTimedContainer(*root);
        return result;
    }
};

class TTimedDirectXApi : public TTimedLibraryCalls<TDirectXApi> {
public:
    TTimedDirectXApi() : TTimedLibraryCalls(Win32DirectXApi()) {}
    HRESULT CoCreateInstance(REFCLSID classId, LPUNKNOWN outer, DWORD context, REFIID interfaceId,
                             LPVOID* object) override
    {
        const HRESULT result = Call(&TDirectXApi::CoCreateInstance, classId, outer, context, interfaceId, object);
        if (SUCCEEDED(result) && *object != nullptr && IsEqualIID(interfaceId, IID_IDxDiagProvider))
            *object = static_cast<IDxDiagProvider*>(new TTimedProvider(static_cast<IDxDiagProvider*>(*object)));
        return result;
    }
    void VariantInit(VARIANTARG* value) override { Call(&TDirectXApi::VariantInit, value); }
    HRESULT VariantClear(VARIANTARG* value) override { return Call(&TDirectXApi::VariantClear, value); }
    int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH wide, int wideLength, LPSTR narrow, int narrowSize,
                            LPCCH defaultChar, LPBOOL usedDefaultChar) override
    {
        return Call(&TDirectXApi::WideCharToMultiByte, codePage, flags, wide, wideLength, narrow, narrowSize,
                    defaultChar, usedDefaultChar);
    }
    BOOL IsDBCSLeadByteEx(UINT codePage, BYTE value) override
    {
        return Call(&TDirectXApi::IsDBCSLeadByteEx, codePage, value);
    }
    int StringFromGUID2(REFGUID guid, LPOLESTR text, int size) override
    {
        return Call(&TDirectXApi::StringFromGUID2, guid, text, size);
    }
};

class TTimedProcessApi : public TTimedLibraryCalls<TProcessApi> {
public:
    TTimedProcessApi() : TTimedLibraryCalls(Win32ProcessApi()) {}
    HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId) override
    {
        return Call(&TProcessApi::CreateToolhelp32Snapshot, flags, processId);
    }
    BOOL Module32First(HANDLE snapshot, LPMODULEENTRY32 entry) override
    {
        return Call(&TProcessApi::Module32First, snapshot, entry);
    }
    BOOL Module32Next(HANDLE snapshot, LPMODULEENTRY32 entry) override
    {
        return Call(&TProcessApi::Module32Next, snapshot, entry);
    }
    HANDLE OpenProcess(DWORD access, BOOL inherit, DWORD processId) override
    {
        return Call(&TProcessApi::OpenProcess, access, inherit, processId);
    }
    BOOL CloseHandle(HANDLE handle) override { return Call(&TProcessApi::CloseHandle, handle); }
    int lstrcmpiA(LPCSTR first, LPCSTR second) override { return Call(&TProcessApi::lstrcmpiA, first, second); }
};

class TTimedServiceApi : public TTimedLibraryCalls<TServiceApi> {
public:
    TTimedServiceApi() : TTimedLibraryCalls(Win32ServiceApi()) {}
    DWORD GetLastError() override { return Call(&TServiceApi::GetLastError); }
};

class TTimedNetworkApi : public TTimedLibraryCalls<TNetworkApi> {
public:
    TTimedNetworkApi() : TTimedLibraryCalls(Win32NetworkApi()) {}
};

// Its DXGI objects' calls are not timed: they count as envcheck's own.
class TTimedCurrentSystemApi : public TTimedLibraryCalls<TCurrentSystemApi, TTimedModuleCalls<TCurrentSystemApi>> {
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
    HANDLE GetCurrentProcess() override { return Call(&TCurrentSystemApi::GetCurrentProcess); }
    BOOL EnumDisplaySettingsW(LPCWSTR device, DWORD mode, DEVMODEW* settings) override
    {
        TFamilyCall family(FamilyConfiguration);
        return Call(&TCurrentSystemApi::EnumDisplaySettingsW, device, mode, settings);
    }
    HDC GetDC(HWND window) override { return Call(&TCurrentSystemApi::GetDC, window); }
    int ReleaseDC(HWND window, HDC dc) override { return Call(&TCurrentSystemApi::ReleaseDC, window, dc); }
    int GetDeviceCaps(HDC dc, int index) override { return Call(&TCurrentSystemApi::GetDeviceCaps, dc, index); }
    BOOL GetMonitorInfoW(HMONITOR monitor, LPMONITORINFO info) override
    {
        return Call(&TCurrentSystemApi::GetMonitorInfoW, monitor, info);
    }
    int GetSystemMetrics(int index) override { return Call(&TCurrentSystemApi::GetSystemMetrics, index); }
    DWORD GetLastError() override { return Call(&TCurrentSystemApi::GetLastError); }
    DWORD GetTickCount() override { return Call(&TCurrentSystemApi::GetTickCount); }
    void GetSystemTimeAsFileTime(LPFILETIME time) override { Call(&TCurrentSystemApi::GetSystemTimeAsFileTime, time); }
    BOOL FileTimeToLocalFileTime(const FILETIME* time, LPFILETIME local) override
    {
        return Call(&TCurrentSystemApi::FileTimeToLocalFileTime, time, local);
    }
    BOOL FileTimeToSystemTime(const FILETIME* time, LPSYSTEMTIME system) override
    {
        return Call(&TCurrentSystemApi::FileTimeToSystemTime, time, system);
    }
    DWORD GetFileAttributesW(LPCWSTR path) override { return Call(&TCurrentSystemApi::GetFileAttributesW, path); }
    HLOCAL LocalFree(HLOCAL memory) override { return Call(&TCurrentSystemApi::LocalFree, memory); }
    HRESULT CoCreateInstance(REFCLSID classId, LPUNKNOWN outer, DWORD context, REFIID interfaceId,
                             LPVOID* object) override
    {
        return Call(&TCurrentSystemApi::CoCreateInstance, classId, outer, context, interfaceId, object);
    }
    BSTR SysAllocString(const OLECHAR* text) override { return Call(&TCurrentSystemApi::SysAllocString, text); }
    void SysFreeString(BSTR text) override { Call(&TCurrentSystemApi::SysFreeString, text); }
    HRESULT VariantClear(VARIANTARG* value) override { return Call(&TCurrentSystemApi::VariantClear, value); }
    HRESULT CoInitialize(LPVOID reserved) override { return Call(&TCurrentSystemApi::CoInitialize, reserved); }
    void CoUninitialize() override { Call(&TCurrentSystemApi::CoUninitialize); }
    uintptr_t _beginthreadex(void* security, unsigned stackSize, unsigned(__stdcall* start)(void*), void* argument,
                             unsigned flags, unsigned* threadId) override
    {
        return Call(&TCurrentSystemApi::_beginthreadex, security, stackSize, start, argument, flags, threadId);
    }
    // Security Center is asked on a thread of its own: the section's share of it is this wait.
    DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) override
    {
        TFamilyCall family(FamilySecurityCenter);
        return Call(&TCurrentSystemApi::WaitForSingleObject, object, milliseconds);
    }
    BOOL CloseHandle(HANDLE object) override { return Call(&TCurrentSystemApi::CloseHandle, object); }
};

#endif
