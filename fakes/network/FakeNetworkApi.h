#ifndef ENVCHECK_FAKES_NETWORK_FAKENETWORKAPI_H
#define ENVCHECK_FAKES_NETWORK_FAKENETWORKAPI_H

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <map>
#include <string>
#include <vector>

#include "fakes/CurrentFake.h"
#include "fakes/FakeLibraryCalls.h"
#include "info/network/NetworkApi.h"

// An IP Helper library behind the network seam: parameters, adapters and
// interface rows of the test's choosing, reached through the current fake.
class TFakeNetworkApi : public TFakeLibraryCalls<TNetworkApi>, public TCurrentFake<TFakeNetworkApi> {
public:
    TFakeNetworkApi();

    // Parameters.
    std::string HostName = "PLAYER-PC";
    std::string DomainName = "example.jp";
    std::vector<std::string> DnsServers = {"192.168.0.1"};
    UINT NodeType = HYBRID_NODETYPE;
    UINT Routing = 0, Proxy = 0, Dns = 0;
    DWORD SecondParamsResult = ERROR_SUCCESS;
    ULONG ClaimedParamsSize = 0;  // non-zero: what the first call says it needs
    int ParamsCalls = 0;
    std::vector<ULONG> ParamsSizes;  // the size offered by each call

    // Adapters.
    DWORD Interfaces = 2;
    std::vector<IP_ADAPTER_INFO> Adapters;
    DWORD SecondAdaptersResult = ERROR_SUCCESS;
    std::map<DWORD, MIB_IFROW> Rows;  // by interface index; missing: GetIfEntry fails

    // A record with the usual fields set; the test changes what it needs.
    static IP_ADAPTER_INFO Adapter(const char* name, const char* ip, DWORD index);

    // The library's functions.
    virtual DWORD GetNetworkParams(PFIXED_INFO info, PULONG size);
    DWORD GetNumberOfInterfaces(PDWORD count);
    virtual ULONG GetAdaptersInfo(PIP_ADAPTER_INFO info, PULONG size);
    DWORD GetIfEntry(PMIB_IFROW row);

private:
    int AdaptersCalls = 0;
};

#endif
