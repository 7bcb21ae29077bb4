#ifndef ENVCHECK_INFO_PROCESS_PROCESSINFO_H
#define ENVCHECK_INFO_PROCESS_PROCESSINFO_H

#include <windows.h>

#include <list>
#include <memory>
#include <string>

#include "info/BaseInfo.h"
#include "info/SystemLibrary.h"
#include "info/process/ProcessApi.h"

// One row of the process table.
struct ProcessEntry {
    DWORD Id;
    std::string ImageName;
    std::string Path;
};

// The process table: every process and, on NT, the 16-bit tasks of each
// NTVDM, with widths in cp932 bytes so the table aligns in a fixed-pitch font.
class TProcessInfo : public TBaseInfo {
public:
    explicit TProcessInfo(TProcessApi& api = Win32ProcessApi());
    void Collect() override;

    bool ListProcesses();
    bool WalkProcesses();
    bool AddEntry(DWORD processId, WORD taskHandle, const std::string& name);
    bool FindImagePath(std::string& path, DWORD processId);
    static BOOL WINAPI TaskCallback(DWORD threadId, WORD module16, WORD task16, PSZ moduleName, PSZ fileName,
                                    LPARAM user);

    void PrintTable();
    void PrintRule();
    void PrintHeader();
    void PrintRow(const ProcessEntry& entry);

    const std::list<ProcessEntry>& GetEntries() const { return Entries; }

private:
    // Where the module list has no path (a 64-bit process seen from 32 bits).
    bool QueryImagePath(std::string& path, DWORD processId);
    void AddRepeated(const char* piece, int times);

    std::list<ProcessEntry> Entries;
    int IdWidth;
    int ImageWidth;
    int PathWidth;
    std::unique_ptr<TSystemLibrary> Kernel32Module;
    std::unique_ptr<TSystemLibrary> VdmDbgModule;
    DWORD NtvdmProcessId;
    TProcessApi& Api;
};

#endif
