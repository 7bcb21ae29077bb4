#ifndef ENVCHECK_FAKES_PROCESS_FAKEPROCESSAPI_H
#define ENVCHECK_FAKES_PROCESS_FAKEPROCESSAPI_H

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include <vdmdbg.h>

#include "fakes/CurrentFake.h"
#include "fakes/FakeLibraryCalls.h"
#include "info/process/ProcessApi.h"

// A machine's processes, modules and 16-bit tasks, behind the process seam.
// Handles and libraries are counted so a test sees what was left open.
class TFakeProcessApi : public TFakeLibraryCalls<TProcessApi>, public TCurrentFake<TFakeProcessApi> {
public:
    struct TProcess {
        DWORD Id;
        std::string ExeFile;
    };
    struct TModule {
        std::string Name;
        std::string Path;
    };
    struct TTask {
        WORD Handle;
        std::string FileName;
    };

    TFakeProcessApi();

    std::vector<TProcess> Processes;
    std::map<DWORD, std::vector<TModule>> Modules;  // no entry: the module snapshot fails
    std::map<DWORD, std::vector<TTask>> Tasks;
    std::map<DWORD, std::string> ImagePaths;        // what QueryFullProcessImageNameA answers
    bool ProcessSnapshotFails = false;

    int OpenHandles = 0;
    int ModuleSnapshots = 0;
    std::vector<DWORD> OpenedProcesses;

    HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId) override;
    BOOL Module32First(HANDLE snapshot, LPMODULEENTRY32 entry) override;
    BOOL Module32Next(HANDLE snapshot, LPMODULEENTRY32 entry) override;
    HANDLE OpenProcess(DWORD access, BOOL inherit, DWORD processId) override;
    BOOL CloseHandle(HANDLE handle) override;
    int lstrcmpiA(LPCSTR first, LPCSTR second) override { return ::lstrcmpiA(first, second); }

    // The functions found at run time, reached through the current fake.
    virtual BOOL ProcessStep(HANDLE snapshot, LPPROCESSENTRY32 entry, bool first);
    INT EnumTasks(DWORD processId, TASKENUMPROCEX callback, LPARAM user);
    virtual BOOL QueryImage(HANDLE process, DWORD flags, LPSTR name, PDWORD size);

private:
    struct TSnapshot {
        DWORD Flags;
        DWORD ProcessId;
        size_t Next;
    };
    // The snapshot a step walks, restarted by a first step; null for a wrong handle, kind or entry size.
    TSnapshot* Walk(HANDLE snapshot, DWORD flags, bool sized, bool first);
    BOOL ModuleStep(HANDLE snapshot, LPMODULEENTRY32 entry, bool first);
    std::map<HANDLE, TSnapshot> Snapshots;
    std::map<HANDLE, DWORD> ProcessHandles;
    size_t NextHandle = 0x100;
};

#endif
