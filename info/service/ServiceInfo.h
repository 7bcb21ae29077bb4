#ifndef ENVCHECK_INFO_SERVICE_SERVICEINFO_H
#define ENVCHECK_INFO_SERVICE_SERVICEINFO_H

#include <windows.h>

#include <memory>

#include "info/BaseInfo.h"
#include "info/OwnedHandle.h"
#include "info/PlatformBuffer.h"
#include "info/SystemLibrary.h"
#include "info/service/ServiceApi.h"

// The service section: a table of the Win32 services, then one of the drivers.
class TServiceInfo : public TBaseInfo {
public:
    explicit TServiceInfo(TServiceApi& api = Win32ServiceApi());
    ~TServiceInfo() override;
    void Collect() override;

    bool Open();
    bool ListServices(DWORD serviceType);
    void Close();

private:
    // The records of one enumeration: never more than its buffer holds.
    bool Enumerate(DWORD serviceType, TPlatformBuffer& buffer, DWORD& count);
    void WriteTable(TPlatformBuffer& buffer, DWORD count);

    std::unique_ptr<TSystemLibrary> AdvapiModule;
    decltype(&::EnumServicesStatusExA) EnumServices;
    // Closed through the library's own CloseServiceHandle, before the library goes.
    TOwnedHandle<SC_HANDLE> ScManager;
    TServiceApi& Api;
};

// The text of a service state, empty outside 1-7.
const char* ServiceStateText(DWORD state);

#endif
