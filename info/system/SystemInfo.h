#ifndef ENVCHECK_INFO_SYSTEM_SYSTEMINFO_H
#define ENVCHECK_INFO_SYSTEM_SYSTEMINFO_H

#include <windows.h>

#include "info/BaseInfo.h"
#include "info/RegistryApi.h"
#include "info/system/CpuidApi.h"
#include "info/system/SystemApi.h"

// The system sections: hardware, memory, operating system, names and environment.
class TSystemInfo : public TBaseInfo {
public:
    explicit TSystemInfo(TSystemApi& api = Win32SystemApi(), TRegistryApi& registry = Win32RegistryApi(),
                         TCpuidApi& cpuid = ProcessorCpuidApi());
    void Collect() override;

    void AddHardwareSection();
    void AddMemorySection();
    void AddOsSection();
    void AddNamesSection();

private:
    void AddProductName();
    void AddEdition();
    // False when the section ends at this point.
    bool AddBasicEdition();
    void AddBuild();

    SYSTEM_INFO SystemInfo;
    TSystemApi& Api;
    TRegistryApi& Registry;
    TCpuidApi& Cpuid;
};

#endif
