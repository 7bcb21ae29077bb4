#include "fakes/service/FakeServiceApi.h"

#include <cstring>

namespace {

SC_HANDLE const Manager = reinterpret_cast<SC_HANDLE>(0x5C000000);

}  // namespace

TFakeServiceApi::TFakeServiceApi()
{
    Provide("advapi32.DLL", reinterpret_cast<HMODULE>(0xAD000000),
            {{"OpenSCManagerA", CurrentFakeFunction<&TFakeServiceApi::OpenManager>()},
             {"EnumServicesStatusExA", CurrentFakeFunction<&TFakeServiceApi::EnumServices>()},
             {"CloseServiceHandle", CurrentFakeFunction<&TFakeServiceApi::CloseManager>()}});
}

SC_HANDLE TFakeServiceApi::OpenManager(LPCSTR machine, LPCSTR database, DWORD access)
{
    AskedAccess = access;
    if (FaultPlan.Fails("OpenSCManagerA")) {
        LastError = ERROR_ACCESS_DENIED;
        return nullptr;
    }
    if (OpenError != 0 || machine != nullptr || database != nullptr) {
        LastError = OpenError;
        return nullptr;
    }
    ++OpenManagers;
    return Manager;
}

BOOL TFakeServiceApi::CloseManager(SC_HANDLE manager)
{
    const bool fails = FaultPlan.Fails("CloseServiceHandle");
    if (manager != Manager) return FALSE;
    --OpenManagers;
    return !fails;
}

BOOL TFakeServiceApi::EnumServices(SC_HANDLE manager, SC_ENUM_TYPE level, DWORD type, DWORD state, LPBYTE buffer,
                                   DWORD size, LPDWORD needed, LPDWORD returned, LPDWORD resume, LPCSTR group)
{
    if (level != SC_ENUM_PROCESS_INFO || resume != nullptr || group != nullptr) return FALSE;
    return Enumerate(manager, type, state, buffer, size, needed, returned);
}

BOOL TFakeServiceApi::Enumerate(SC_HANDLE manager, DWORD type, DWORD state, LPBYTE buffer, DWORD size,
                                LPDWORD needed, LPDWORD returned)
{
    if (manager != Manager || state != SERVICE_STATE_ALL) return FALSE;
    ++EnumerationCalls;
    if (FaultPlan.Fails("EnumServicesStatusExA")) {
        LastError = ERROR_ACCESS_DENIED;
        return FALSE;
    }
    if (buffer == nullptr && FirstCallErrors.count(type) != 0) {
        LastError = FirstCallErrors[type];
        return FALSE;
    }
    if (buffer != nullptr && Growth > 0) {  // the list grows between the calls
        --Growth;
        Services[type].push_back({"Added later", "late", SERVICE_RUNNING});
    }
    const std::vector<TService>& services = Services[type];
    DWORD bytes = 0;
    for (const TService& service : services)
        bytes += sizeof(ENUM_SERVICE_STATUS_PROCESSA) + service.DisplayName.size() + service.Name.size() + 2;
    *returned = 0;
    if (services.empty()) return TRUE;
    if (buffer == nullptr || size < bytes) {
        *needed = bytes;
        LastError = ERROR_MORE_DATA;
        return FALSE;
    }
    ENUM_SERVICE_STATUS_PROCESSA* records = reinterpret_cast<ENUM_SERVICE_STATUS_PROCESSA*>(buffer);
    char* text = reinterpret_cast<char*>(buffer + services.size() * sizeof(ENUM_SERVICE_STATUS_PROCESSA));
    for (size_t i = 0; i < services.size(); ++i) {
        records[i].lpDisplayName = strcpy(text, services[i].DisplayName.c_str());
        text += services[i].DisplayName.size() + 1;
        records[i].lpServiceName = strcpy(text, services[i].Name.c_str());
        text += services[i].Name.size() + 1;
        records[i].ServiceStatusProcess.dwCurrentState = services[i].State;
    }
    *returned = ClaimedCount != 0 ? ClaimedCount : static_cast<DWORD>(services.size());
    return TRUE;
}
