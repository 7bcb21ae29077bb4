#ifndef ENVCHECK_INFO_SYSTEM_SYSTEMINFO_H
#define ENVCHECK_INFO_SYSTEM_SYSTEMINFO_H

#include <windows.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "info/BaseInfo.h"
#include "info/RegistryApi.h"
#include "info/system/CpuIdentity.h"
#include "info/system/CpuidApi.h"
#include "info/system/SystemApi.h"

// The processor as CPUID, its registry key and GetSystemInfo describe it.
struct HardwareRecord {
    CpuIdentity Cpu = {};
    // The registry's values, each only when it has the type the line needs.
    std::optional<std::string> ProcessorName, Identifier;
    std::optional<DWORD> ClockMhz;
    SYSTEM_INFO System = {};
};

// Physical memory, page file and virtual memory: each total, then its available part.
struct MemoryRecord {
    std::array<ULONGLONG, 6> Counts = {};
};

// What the registry and lstrcmpiA answered for the operating-system row.
struct OsRecord {
    // Only the basic version form was filled: ProductOptions' ProductType was
    // read, and lstrcmpiA found it equal to WINNT, LANMANNT, SERVERNT.
    bool ProductTypeRead = false;
    bool ProductTypeIs[3] = {};
    // NT 4.0's "Service Pack 6" with the Q246009 hotfix key installed is 6a.
    bool HasQ246009 = false;
    // szCSDVersion as the report writes it.
    std::string ServicePack;
};

// Each name or directory only when the platform gave it whole; the expanded
// environment variables that fitted.
struct NamesRecord {
    std::optional<std::string> ComputerName, UserName, SystemDirectory, WindowsDirectory;
    std::vector<std::string> Environment;
};

void WriteHardwareSection(const HardwareRecord& record, TSection& section);
void WriteMemorySection(const MemoryRecord& record, TSection& section);
// The row has no line end on Windows 95 and 98, nor when the basic form's
// ProductType could not be read: the names section continues it.
void WriteOsSection(const OsRecord& record, const OsVersionRecord& version, TSection& section);
void WriteNamesSection(const NamesRecord& record, TSection& section);

// The system sections: hardware, memory, operating system, names and environment.
class TSystemInfo : public TBaseInfo {
public:
    explicit TSystemInfo(TSystemApi& api = Win32SystemApi(), TRegistryApi& registry = Win32RegistryApi(),
                         TCpuidApi& cpuid = ProcessorCpuidApi());
    void Collect(const OsVersionRecord& version) override;

    HardwareRecord ReadHardware();
    MemoryRecord ReadMemory();
    OsRecord ReadOs(const OsVersionRecord& version);
    NamesRecord ReadNames();

private:
    // False when ProductType could not be read.
    bool ReadProductType(OsRecord& record);

    TSystemApi& Api;
    TRegistryApi& Registry;
    TCpuidApi& Cpuid;
};

#endif
