#ifndef ENVCHECK_FAKES_SERVICE_FAKESERVICEAPI_H
#define ENVCHECK_FAKES_SERVICE_FAKESERVICEAPI_H

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "fakes/CurrentFake.h"
#include "fakes/FakeLibraryCalls.h"
#include "info/service/ServiceApi.h"
#include "info/service/ServiceInfo.h"

// A service control manager behind the service seam; the service functions
// are reached through the current fake.
class TFakeServiceApi : public TFakeLibraryCalls<TServiceApi>, public TCurrentFake<TFakeServiceApi> {
public:
    // What the manager lists of one service: the row the collector should make of it.
    using TService = ServiceRecord;

    TFakeServiceApi();

    std::map<DWORD, std::vector<TService>> Services;  // by type mask
    std::map<DWORD, DWORD> FirstCallErrors;           // type mask -> error of the first call
    DWORD OpenError = 0;     // non-zero: the manager does not open
    int Growth = 0;          // filled calls that first add one service
    DWORD ClaimedCount = 0;  // non-zero: the count a filled call reports

    DWORD AskedAccess = 0xdeadbeef;
    int OpenManagers = 0;
    int EnumerationCalls = 0;

    DWORD GetLastError() override { return LastError; }

    // The library's functions; EnumServices takes only the form that Enumerate answers.
    SC_HANDLE OpenManager(LPCSTR machine, LPCSTR database, DWORD access);
    BOOL EnumServices(SC_HANDLE manager, SC_ENUM_TYPE level, DWORD type, DWORD state, LPBYTE buffer, DWORD size,
                      LPDWORD needed, LPDWORD returned, LPDWORD resume, LPCSTR group);
    virtual BOOL Enumerate(SC_HANDLE manager, DWORD type, DWORD state, LPBYTE buffer, DWORD size, LPDWORD needed,
                   LPDWORD returned);
    BOOL CloseManager(SC_HANDLE manager);

private:
    DWORD LastError = 0;
};

#endif
