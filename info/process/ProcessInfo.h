#ifndef ENVCHECK_INFO_PROCESS_PROCESSINFO_H
#define ENVCHECK_INFO_PROCESS_PROCESSINFO_H

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "info/BaseInfo.h"
#include "info/SystemLibrary.h"
#include "info/process/ProcessApi.h"

// One row of the process table: a process, or a 16-bit task of an NTVDM
// (its task handle as the ID). The path is the bare name where none was found.
struct ProcessRecord {
    DWORD Id = 0;
    std::string ImageName;
    std::string Path;
};

// The process table: every process and, on NT, the 16-bit tasks of each NTVDM.
class TProcessInfo : public TBaseInfo {
public:
    explicit TProcessInfo(TProcessApi& api = Win32ProcessApi());
    void Collect(const OsVersionRecord& version) override;

    const std::vector<ProcessRecord>& GetProcesses() const { return Processes; }

private:
    void WalkProcesses(const OsVersionRecord& version);
    static BOOL WINAPI TaskCallback(DWORD threadId, WORD module16, WORD task16, PSZ moduleName, PSZ fileName,
                                    LPARAM user);
    // The paths are looked up on NT only; a task handle is never asked as a process.
    void AddProcess(DWORD processId, WORD taskHandle, const std::string& name, bool findPath);
    bool FindImagePath(std::string& path, DWORD processId);
    // Where the module list has no path (a 64-bit process seen from 32 bits).
    bool QueryImagePath(std::string& path, DWORD processId);

    std::vector<ProcessRecord> Processes;
    std::unique_ptr<TSystemLibrary> Kernel32Module;
    std::unique_ptr<TSystemLibrary> VdmDbgModule;
    DWORD NtvdmProcessId;
    TProcessApi& Api;
};

// The Windows whose processes are listed: the 9x family, and NT from 2000 on.
bool ListsProcesses(const OsVersionRecord& version);

// The section: the table, with widths in cp932 bytes so it aligns in a
// fixed-pitch font, each padding space and rule dash an element of its own.
void WriteProcessSection(const std::vector<ProcessRecord>& processes, const OsVersionRecord& version,
                         TSection& section);

#endif
