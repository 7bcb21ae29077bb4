#ifndef ENVCHECK_INFO_SERVICE_SERVICEINFO_H
#define ENVCHECK_INFO_SERVICE_SERVICEINFO_H

#include <windows.h>

#include <memory>

#include "info/BaseInfo.h"
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
    typedef SC_HANDLE(WINAPI* OpenSCManagerAFunction)(LPCSTR, LPCSTR, DWORD);
    typedef BOOL(WINAPI* EnumServicesStatusExAFunction)(SC_HANDLE, SC_ENUM_TYPE, DWORD, DWORD, LPBYTE, DWORD, LPDWORD,
                                                     LPDWORD, LPDWORD, LPCSTR);
    typedef BOOL(WINAPI* CloseServiceHandleFunction)(SC_HANDLE);

    // The records of one enumeration: never more than its buffer holds.
    bool Enumerate(DWORD serviceType, TPlatformBuffer& buffer, DWORD& count);
    void WriteTable(TPlatformBuffer& buffer, DWORD count);

    SC_HANDLE ScManager;
    std::unique_ptr<TSystemLibrary> AdvapiModule;
    EnumServicesStatusExAFunction EnumServicesProc;
    OpenSCManagerAFunction OpenSCManagerProc;
    CloseServiceHandleFunction CloseServiceHandleProc;
    TServiceApi& Api;
};

// The text of a service state, empty outside 1-7.
const char* ServiceStateText(DWORD state);

#endif
