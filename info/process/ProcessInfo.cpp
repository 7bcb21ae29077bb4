#include "info/process/ProcessInfo.h"

#include <vdmdbg.h>

#include <cstring>
#include <vector>

#include "info/BoundedText.h"
#include "info/Kernel32Functions.h"
#include "info/OsVersion.h"
#include "info/OwnedHandle.h"

namespace VdmDbg {
ENVCHECK_RUNTIME_FUNCTION(VDMEnumTaskWOWEx)  // the NT family only
}  // namespace VdmDbg

namespace {

const DWORD ImagePathSize = 1024;

typedef TOwnedHandle<HANDLE> THandle;

}  // namespace

bool ListsProcesses(const OsVersionRecord& version)
{
    const DWORD platform = version.Info.dwPlatformId;
    return platform == VER_PLATFORM_WIN32_WINDOWS ||
           (platform == VER_PLATFORM_WIN32_NT && version.Info.dwMajorVersion > 4);
}

TProcessInfo::TProcessInfo(TProcessApi& api) : TBaseInfo("プロセスの情報を取得中...\n"), NtvdmProcessId(0), Api(api) {}

void TProcessInfo::Collect(const OsVersionRecord& version)
{
    if (ListsProcesses(version)) WalkProcesses(version);
    // Freed once the walk is over (its snapshot closed), Kernel32 first.
    Kernel32Module.reset();
    VdmDbgModule.reset();
    WriteProcessSection(Processes, version, Section);
}

void TProcessInfo::WalkProcesses(const OsVersionRecord& version)
{
    const bool nt = version.Info.dwPlatformId == VER_PLATFORM_WIN32_NT;
    Kernel32Module.reset(new TSystemLibrary(Api, "Kernel32.DLL"));
    if (!Kernel32Module->IsLoaded()) return;
    // Without the 16-bit task walk the processes are still listed.
    VdmDbg::VDMEnumTaskWOWEx::Type enumTasks = nullptr;
    if (nt) {
        VdmDbgModule.reset(new TSystemLibrary(Api, "VDMDBG.DLL"));
        enumTasks = FindFunction<VdmDbg::VDMEnumTaskWOWEx>(*VdmDbgModule);
    }
    const auto createSnapshot = FindFunction<Kernel32::CreateToolhelp32Snapshot>(*Kernel32Module);
    const auto first = FindFunction<Kernel32::Process32First>(*Kernel32Module);
    const auto next = FindFunction<Kernel32::Process32Next>(*Kernel32Module);
    if (createSnapshot == nullptr || first == nullptr || next == nullptr) return;

    const THandle snapshot(Api, &TProcessApi::CloseHandle, createSnapshot(TH32CS_SNAPPROCESS, 0), INVALID_HANDLE_VALUE);
    if (!snapshot.IsOpen()) return;
    PROCESSENTRY32 process;
    ZeroMemory(&process, sizeof(process));
    process.dwSize = sizeof(process);
    BOOL found = first(snapshot.Get(), &process);
    while (found) {
        const std::string name = PlatformText(process.szExeFile, sizeof(process.szExeFile));
        AddProcess(process.th32ProcessID, 0, name, nt);
        if (enumTasks != nullptr && Api.lstrcmpiA(name.c_str(), "NTVDM.EXE") == 0) {
            NtvdmProcessId = process.th32ProcessID;
            enumTasks(NtvdmProcessId, &TProcessInfo::TaskCallback, reinterpret_cast<LPARAM>(this));
        }
        ZeroMemory(&process, sizeof(process));
        process.dwSize = sizeof(process);
        found = next(snapshot.Get(), &process);
    }
}

// Tasks are walked on NT only.
BOOL WINAPI TProcessInfo::TaskCallback(DWORD, WORD, WORD task16, PSZ, PSZ fileName, LPARAM user)
{
    TProcessInfo* self = reinterpret_cast<TProcessInfo*>(user);
    self->AddProcess(self->NtvdmProcessId, task16, fileName != nullptr ? PlatformText(fileName, MAX_PATH) : "", true);
    return FALSE;
}

void TProcessInfo::AddProcess(DWORD processId, WORD taskHandle, const std::string& name, bool findPath)
{
    ProcessRecord process;
    process.Id = taskHandle != 0 ? taskHandle : processId;
    process.ImageName = name;
    process.Path = name;
    if (findPath) {
        FindImagePath(process.Path, process.Id);
        if (process.Path == process.ImageName && taskHandle == 0) QueryImagePath(process.Path, process.Id);
    }
    Processes.push_back(process);
}

bool TProcessInfo::FindImagePath(std::string& path, DWORD processId)
{
    const THandle snapshot(Api, &TProcessApi::CloseHandle, Api.CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId),
                           INVALID_HANDLE_VALUE);
    if (!snapshot.IsOpen()) return false;
    MODULEENTRY32 module;
    ZeroMemory(&module, sizeof(module));
    module.dwSize = sizeof(module);
    if (!Api.Module32First(snapshot.Get(), &module)) return false;
    do {
        const std::string name = PlatformText(module.szModule, sizeof(module.szModule));
        if (Api.lstrcmpiA(path.c_str(), name.c_str()) == 0) {
            path = PlatformText(module.szExePath, sizeof(module.szExePath));
            break;
        }
        ZeroMemory(&module, sizeof(module));
        module.dwSize = sizeof(module);
    } while (Api.Module32Next(snapshot.Get(), &module));
    return true;
}

bool TProcessInfo::QueryImagePath(std::string& path, DWORD processId)
{
    const auto query =
        Kernel32Module ? FindFunction<Kernel32::QueryFullProcessImageNameA>(*Kernel32Module) : nullptr;
    if (query == nullptr) return false;
    std::vector<char> buffer(ImagePathSize + 1, '\0');
    DWORD size = ImagePathSize;
    bool found = false;
    {
        const THandle process(Api, &TProcessApi::CloseHandle,
                              Api.OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId), nullptr);
        if (!process.IsOpen()) return false;
        found = query(process.Get(), 0, buffer.data(), &size) != FALSE && size > 0 && size <= ImagePathSize;
    }
    if (found) path = PlatformText(buffer.data(), size);
    return found;
}
