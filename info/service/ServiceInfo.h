#ifndef ENVCHECK_INFO_SERVICE_SERVICEINFO_H
#define ENVCHECK_INFO_SERVICE_SERVICEINFO_H

#include <windows.h>

#include <string>
#include <vector>

#include "info/BaseInfo.h"
#include "info/PlatformBuffer.h"
#include "info/service/ServiceApi.h"

// One row of a service table.
struct ServiceRecord {
    std::string DisplayName, Name;
    DWORD State = 0;
};

// What the service control manager answered: how far the listing got, and a
// table for each enumeration that answered (the Win32 services, then the drivers).
struct ServiceListRecord {
    enum TStep { Listed, LibraryMissing, FunctionMissing, ManagerRefused };
    TStep Step = Listed;
    DWORD OpenError = 0;  // ManagerRefused: why
    std::vector<std::vector<ServiceRecord>> Tables;
};

// The service section: a table of the Win32 services, then one of the drivers.
class TServiceInfo : public TBaseInfo {
public:
    explicit TServiceInfo(TServiceApi& api = Win32ServiceApi());
    void Collect(const OsVersionRecord& version) override;

private:
    // The tables and how far the listing got.
    ServiceListRecord::TStep ListServices(ServiceListRecord& services);
    // The records of one enumeration: never more than its buffer holds.
    bool Enumerate(decltype(&::EnumServicesStatusExA) enumServices, SC_HANDLE manager, DWORD serviceType,
                   TPlatformBuffer& buffer, DWORD& count);

    TServiceApi& Api;
};

// The text of a service state, empty outside 1-7.
const char* ServiceStateText(DWORD state);

// The section; the 9x family has no services to list.
void WriteServiceSection(const ServiceListRecord& services, const OsVersionRecord& version, TSection& section);

#endif
