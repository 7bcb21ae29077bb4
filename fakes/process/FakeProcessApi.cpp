#include "fakes/process/FakeProcessApi.h"

#include <cstring>

#include "info/FunctionCast.h"

namespace {

BOOL WINAPI FakeProcessFirst(HANDLE snapshot, LPPROCESSENTRY32 entry)
{
    return TFakeProcessApi::Current().ProcessStep(snapshot, entry, true);
}
BOOL WINAPI FakeProcessNext(HANDLE snapshot, LPPROCESSENTRY32 entry)
{
    return TFakeProcessApi::Current().ProcessStep(snapshot, entry, false);
}

std::string FileName(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

}  // namespace

TFakeProcessApi::TFakeProcessApi()
{
    Provide("Kernel32.DLL", FakeKernel32,
            {{"CreateToolhelp32Snapshot", CurrentFakeFunction<&TFakeProcessApi::CreateToolhelp32Snapshot>()},
             {"Process32First", FunctionCast<FARPROC>(&FakeProcessFirst)},
             {"Process32Next", FunctionCast<FARPROC>(&FakeProcessNext)},
             {"QueryFullProcessImageNameA", CurrentFakeFunction<&TFakeProcessApi::QueryImage>()}});
    Provide("VDMDBG.DLL", reinterpret_cast<HMODULE>(0x0D0D0000),
            {{"VDMEnumTaskWOWEx", CurrentFakeFunction<&TFakeProcessApi::EnumTasks>()}});
}

HANDLE TFakeProcessApi::CreateToolhelp32Snapshot(DWORD flags, DWORD processId)
{
    if (flags == TH32CS_SNAPMODULE) ++ModuleSnapshots;
    if (FaultPlan.Fails("CreateToolhelp32Snapshot")) return INVALID_HANDLE_VALUE;
    if (flags == TH32CS_SNAPPROCESS && ProcessSnapshotFails) return INVALID_HANDLE_VALUE;
    if (flags == TH32CS_SNAPMODULE && Modules.count(processId) == 0) return INVALID_HANDLE_VALUE;
    if (flags != TH32CS_SNAPMODULE && flags != TH32CS_SNAPPROCESS) return INVALID_HANDLE_VALUE;
    HANDLE handle = reinterpret_cast<HANDLE>(NextHandle++);
    Snapshots[handle] = {flags, processId, 0};
    ++OpenHandles;
    return handle;
}

TFakeProcessApi::TSnapshot* TFakeProcessApi::Walk(HANDLE snapshot, DWORD flags, bool sized, bool first)
{
    auto found = Snapshots.find(snapshot);
    if (found == Snapshots.end() || found->second.Flags != flags || !sized) return nullptr;
    if (first) found->second.Next = 0;
    return &found->second;
}

BOOL TFakeProcessApi::ProcessStep(HANDLE snapshot, LPPROCESSENTRY32 entry, bool first)
{
    if (FaultPlan.Fails(first ? "Process32First" : "Process32Next")) return FALSE;
    TSnapshot* walk = Walk(snapshot, TH32CS_SNAPPROCESS, entry->dwSize == sizeof(*entry), first);
    if (walk == nullptr || walk->Next >= Processes.size()) return FALSE;
    const TProcess& process = Processes[walk->Next++];
    memset(entry->szExeFile, 0x7F, sizeof(entry->szExeFile));  // what the platform left past the name
    entry->th32ProcessID = process.Id;
    strncpy(entry->szExeFile, process.ExeFile.c_str(), sizeof(entry->szExeFile));
    return TRUE;
}

BOOL TFakeProcessApi::ModuleStep(HANDLE snapshot, LPMODULEENTRY32 entry, bool first)
{
    if (FaultPlan.Fails(first ? "Module32First" : "Module32Next")) return FALSE;
    TSnapshot* walk = Walk(snapshot, TH32CS_SNAPMODULE, entry->dwSize == sizeof(*entry), first);
    if (walk == nullptr || walk->Next >= Modules[walk->ProcessId].size()) return FALSE;
    const TModule& module = Modules[walk->ProcessId][walk->Next++];
    strncpy(entry->szModule, module.Name.c_str(), sizeof(entry->szModule));
    strncpy(entry->szExePath, module.Path.c_str(), sizeof(entry->szExePath));
    return TRUE;
}

BOOL TFakeProcessApi::Module32First(HANDLE snapshot, LPMODULEENTRY32 entry)
{
    return ModuleStep(snapshot, entry, true);
}

BOOL TFakeProcessApi::Module32Next(HANDLE snapshot, LPMODULEENTRY32 entry)
{
    return ModuleStep(snapshot, entry, false);
}

HANDLE TFakeProcessApi::OpenProcess(DWORD access, BOOL, DWORD processId)
{
    OpenedProcesses.push_back(processId);
    if (FaultPlan.Fails("OpenProcess")) return nullptr;
    if (access != PROCESS_QUERY_LIMITED_INFORMATION || ImagePaths.count(processId) == 0) return nullptr;
    HANDLE handle = reinterpret_cast<HANDLE>(NextHandle++);
    ProcessHandles[handle] = processId;
    ++OpenHandles;
    return handle;
}

BOOL TFakeProcessApi::QueryImage(HANDLE process, DWORD, LPSTR name, PDWORD size)
{
    if (FaultPlan.Fails("QueryFullProcessImageNameA")) return FALSE;
    auto found = ProcessHandles.find(process);
    if (found == ProcessHandles.end()) return FALSE;
    const std::string& path = ImagePaths[found->second];
    if (path.size() + 1 > *size) return FALSE;
    strcpy(name, path.c_str());
    *size = static_cast<DWORD>(path.size());
    return TRUE;
}

INT TFakeProcessApi::EnumTasks(DWORD processId, TASKENUMPROCEX callback, LPARAM user)
{
    if (FaultPlan.Fails("VDMEnumTaskWOWEx")) return 0;
    int count = 0;
    for (const TTask& task : Tasks[processId]) {
        std::string file = task.FileName;
        std::string module = FileName(file);
        ++count;
        if (callback(1, 0x11, task.Handle, &module[0], &file[0], user)) break;
    }
    return count;
}

BOOL TFakeProcessApi::CloseHandle(HANDLE handle)
{
    const bool fails = FaultPlan.Fails("CloseHandle");
    if (Snapshots.erase(handle) == 0 && ProcessHandles.erase(handle) == 0) return FALSE;
    --OpenHandles;
    return !fails;
}
