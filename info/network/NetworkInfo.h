#ifndef ENVCHECK_INFO_NETWORK_NETWORKINFO_H
#define ENVCHECK_INFO_NETWORK_NETWORKINFO_H

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <optional>
#include <string>
#include <vector>

#include "info/BaseInfo.h"
#include "info/RegistryApi.h"
#include "info/SystemLibrary.h"
#include "info/network/NetworkApi.h"

// One adapter's block, its fields in the block's order. Mtu and Speed stay
// zero where the interface row was not read.
struct NetworkAdapterRecord {
    std::string Name;
    std::optional<std::string> CardDescription;  // on NT, what the registry says of the card serving it
    std::string Description;
    std::vector<BYTE> Address;
    std::string IpAddress, SubnetMask, Gateway;
    bool Dhcp = false;
    std::string DhcpServer;
    bool Wins = false;
    std::string PrimaryWinsServer, SecondaryWinsServer;
    DWORD Mtu = 0, Speed = 0;
};

// What IP Helper answered: the host-wide parameters, then the adapters.
struct NetworkRecord {
    bool ParametersRead = false;
    std::string HostName, DomainName;
    std::vector<std::string> DnsServers;
    UINT NodeType = 0, EnableRouting = 0, EnableProxy = 0, EnableDns = 0;
    bool AdaptersAsked = false;  // false: no function or no interface, no adapter part at all
    std::vector<NetworkAdapterRecord> Adapters;
};

// The network section: host-wide parameters, then one block per adapter.
class TNetworkInfo : public TBaseInfo {
public:
    explicit TNetworkInfo(TNetworkApi& api = Win32NetworkApi(), TRegistryApi& registry = Win32RegistryApi());
    void Collect(const OsVersionRecord& version) override;

private:
    void ReadParameters(const TSystemLibrary& ipHelper, NetworkRecord& network);
    void ReadAdapters(const TSystemLibrary& ipHelper, const OsVersionRecord& version, NetworkRecord& network);
    NetworkAdapterRecord ReadAdapter(const IP_ADAPTER_INFO& adapter, const OsVersionRecord& version,
                                     decltype(&::GetIfEntry) getIfEntry);
    // The words of the last card the registry lists as serving the adapter
    // (NT keeps them there); left as they are where no card has any.
    void FindCardDescription(const std::string& adapterName, std::optional<std::string>& description);

    TNetworkApi& Api;
    TRegistryApi& Registry;
};

void WriteNetworkSection(const NetworkRecord& network, TSection& section);

#endif
