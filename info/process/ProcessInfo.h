#ifndef ENVCHECK_INFO_PROCESS_PROCESSINFO_H
#define ENVCHECK_INFO_PROCESS_PROCESSINFO_H

#include <windows.h>

#include <list>
#include <string>

#include "info/BaseInfo.h"

// One row of the process table.
struct ProcessEntry {
    DWORD Id;
    std::string ImageName;
    std::string Path;
};

class TProcessInfo : public TBaseInfo {
public:
    TProcessInfo();
    void Collect() override;

private:
    std::list<ProcessEntry> Entries;
    int IdWidth;
    int ImageWidth;
    int PathWidth;
    HMODULE Kernel32Module;
    HMODULE VdmDbgModule;
    DWORD NtvdmProcessId;
};

#endif
