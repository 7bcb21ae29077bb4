#include "info/network/NetworkInfo.h"

#include <algorithm>
#include <cstring>

#include "info/BoundedText.h"
#include "info/Lookup.h"
#include "info/PlatformBuffer.h"
#include "info/Registry.h"
#include "info/RuntimeFunction.h"

namespace IpHlpApi {
ENVCHECK_RUNTIME_FUNCTION(GetNetworkParams)  // 98 and 2000 on
ENVCHECK_RUNTIME_FUNCTION(GetNumberOfInterfaces)
ENVCHECK_RUNTIME_FUNCTION(GetAdaptersInfo)
ENVCHECK_RUNTIME_FUNCTION(GetIfEntry)
}  // namespace IpHlpApi

namespace {

const char* const NetworkCards = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards";

std::string Text(const IP_ADDRESS_STRING& address) { return PlatformText(address.String); }

}  // namespace

TNetworkInfo::TNetworkInfo(TNetworkApi& api, TRegistryApi& registry)
    : TBaseInfo("ネットワークの情報を取得中...\n"), Api(api), Registry(registry)
{
}

void TNetworkInfo::Collect(const OsVersionRecord& version)
{
    const TSystemLibrary ipHelper(Api, "iphlpapi.dll");
    NetworkRecord network;
    ReadParameters(ipHelper, network);
    ReadAdapters(ipHelper, version, network);
    WriteNetworkSection(network, Section);
}

void TNetworkInfo::ReadParameters(const TSystemLibrary& ipHelper, NetworkRecord& network)
{
    const auto getNetworkParams = FindFunction<IpHlpApi::GetNetworkParams>(ipHelper);
    TPlatformBuffer buffer;
    ULONG size = sizeof(FIXED_INFO);
    DWORD result = ERROR_NOT_SUPPORTED;
    if (getNetworkParams != nullptr && buffer.Resize(size)) {
        if (getNetworkParams(reinterpret_cast<PFIXED_INFO>(buffer.Get()), &size) == ERROR_BUFFER_OVERFLOW) {
            // The record's own fields are read whatever size was asked for.
            if (!buffer.Resize(size, sizeof(FIXED_INFO))) size = 0;
        }
        ULONG room = static_cast<ULONG>(buffer.Size());
        if (size != 0) result = getNetworkParams(reinterpret_cast<PFIXED_INFO>(buffer.Get()), &room);
    }
    if (result != ERROR_SUCCESS) return;
    const FIXED_INFO& info = *reinterpret_cast<const FIXED_INFO*>(buffer.Get());
    network.ParametersRead = true;
    network.HostName = PlatformText(info.HostName);
    network.DomainName = PlatformText(info.DomainName);
    // The chain lies inside the buffer; a link out of it, or a loop, ends it.
    const IP_ADDR_STRING* server = &info.DnsServerList;
    for (size_t links = buffer.Size() / sizeof(IP_ADDR_STRING); server != nullptr && links > 0; --links) {
        network.DnsServers.push_back(Text(server->IpAddress));
        server = buffer.Holds(server->Next, sizeof(IP_ADDR_STRING)) ? server->Next : nullptr;
    }
    network.NodeType = info.NodeType;
    network.EnableRouting = info.EnableRouting;
    network.EnableProxy = info.EnableProxy;
    network.EnableDns = info.EnableDns;
}

void TNetworkInfo::ReadAdapters(const TSystemLibrary& ipHelper, const OsVersionRecord& version, NetworkRecord& network)
{
    const auto getNumberOfInterfaces = FindFunction<IpHlpApi::GetNumberOfInterfaces>(ipHelper);
    const auto getAdaptersInfo = FindFunction<IpHlpApi::GetAdaptersInfo>(ipHelper);
    const auto getIfEntry = FindFunction<IpHlpApi::GetIfEntry>(ipHelper);
    if (getNumberOfInterfaces == nullptr || getAdaptersInfo == nullptr || getIfEntry == nullptr) return;

    DWORD interfaces = 0;
    getNumberOfInterfaces(&interfaces);
    if (interfaces == 0) return;
    network.AdaptersAsked = true;

    ULONG size = 0;
    getAdaptersInfo(nullptr, &size);
    TPlatformBuffer buffer;
    ULONG room = size;
    // Blocks only from records the second call really wrote.
    if (size != 0 && buffer.Resize(size, sizeof(IP_ADAPTER_INFO)) &&
        getAdaptersInfo(reinterpret_cast<PIP_ADAPTER_INFO>(buffer.Get()), &room) == ERROR_SUCCESS) {
        const IP_ADAPTER_INFO* adapter = reinterpret_cast<const IP_ADAPTER_INFO*>(buffer.Get());
        for (size_t links = buffer.Size() / sizeof(IP_ADAPTER_INFO); adapter != nullptr && links > 0; --links) {
            network.Adapters.push_back(ReadAdapter(*adapter, version, getIfEntry));
            adapter = buffer.Holds(adapter->Next, sizeof(IP_ADAPTER_INFO)) ? adapter->Next : nullptr;
        }
    }
}

NetworkAdapterRecord TNetworkInfo::ReadAdapter(const IP_ADAPTER_INFO& adapter, const OsVersionRecord& version,
                                               decltype(&::GetIfEntry) getIfEntry)
{
    const std::string name = PlatformText(adapter.AdapterName);
    std::optional<std::string> card;
    if (version.Info.dwPlatformId == VER_PLATFORM_WIN32_NT) FindCardDescription(name, card);
    MIB_IFROW row;
    ZeroMemory(&row, sizeof(row));
    row.dwIndex = adapter.Index;
    getIfEntry(&row);
    const BYTE* const address = adapter.Address;
    return {name,
            card,
            PlatformText(adapter.Description),
            {address, address + std::min<size_t>(adapter.AddressLength, sizeof(adapter.Address))},
            Text(adapter.IpAddressList.IpAddress),
            Text(adapter.IpAddressList.IpMask),
            Text(adapter.GatewayList.IpAddress),
            adapter.DhcpEnabled != 0,
            Text(adapter.DhcpServer.IpAddress),
            adapter.HaveWins != 0,
            Text(adapter.PrimaryWinsServer.IpAddress),
            Text(adapter.SecondaryWinsServer.IpAddress),
            row.dwMtu,
            row.dwSpeed};
}

void TNetworkInfo::FindCardDescription(const std::string& adapterName, std::optional<std::string>& description)
{
    TRegistry cards(Registry);
    if (!cards.OpenKey(HKEY_LOCAL_MACHINE, NetworkCards)) return;
    cards.EnumKeys();
    for (const std::string& subkey : cards.SubKeys) {
        TRegistry card(Registry);
        if (!card.OpenKey(HKEY_LOCAL_MACHINE, std::string(NetworkCards) + "\\" + subkey)) continue;
        if (card.ReadValue("ServiceName") && card.ValueType == REG_SZ && card.DataText() == adapterName) {
            if (card.ReadValue("Description") && card.ValueType == REG_SZ) description = card.DataText();
        }
    }
}

void WriteNetworkSection(const NetworkRecord& network, TSection& section)
{
    section.AddLine(boost::format("Network Infomation:\n"));
    if (!network.ParametersRead) {
        section.AddLine(boost::format("ネットワークのパラメータの取得に失敗しました。\n"));
    } else {
        section.AddLine(boost::format("Host Name: %s\n") % network.HostName);
        section.AddLine(boost::format("Domain Name: %s\n") % network.DomainName);
        for (const std::string& server : network.DnsServers)
            section.AddLine(boost::format("DNS Servers: %s\n") % server);
        const char* const nodeType = Lookup<UINT, const char*>(network.NodeType,
                                                               {{BROADCAST_NODETYPE, "Broadcast"},
                                                                {PEER_TO_PEER_NODETYPE, "PeerToPeer"},
                                                                {MIXED_NODETYPE, "Mixed"},
                                                                {HYBRID_NODETYPE, "Hybrid"}},
                                                               nullptr);
        if (nodeType != nullptr) section.AddLine(boost::format("NodeType: %s\n") % nodeType);
        if (network.EnableRouting != 0) section.AddLine(boost::format("EnableRouting.\n"));
        if (network.EnableProxy != 0) section.AddLine(boost::format("EnableProxy.\n"));
        if (network.EnableDns != 0) section.AddLine(boost::format("EnableDNS.\n"));
        section.AddLine(boost::format("\n"));
    }
    if (!network.AdaptersAsked) return;
    for (const NetworkAdapterRecord& adapter : network.Adapters) {
        const std::string& name = adapter.Name;
        section.AddLine(boost::format("AdapterName: %s\n") %
                        (adapter.CardDescription ? *adapter.CardDescription + " - " + name : name));
        section.AddLine(boost::format("Description: %s\n") % adapter.Description);
        section.AddLine(boost::format("Physical Address: "));
        for (BYTE octet : adapter.Address) section.AddLine(boost::format("%02X-") % static_cast<unsigned>(octet));
        section.AddLine(boost::format("\n"));
        section.AddLine(boost::format("IP Address: %s\n") % adapter.IpAddress);
        section.AddLine(boost::format("Subnet Mask: %s\n") % adapter.SubnetMask);
        section.AddLine(boost::format("Default Gateway: %s\n") % adapter.Gateway);
        if (adapter.Dhcp) {
            section.AddLine(boost::format("adapter enabled DHCP.\n"));
            section.AddLine(boost::format(" DHCP Server: %s\n") % adapter.DhcpServer);
        }
        if (adapter.Wins) {
            section.AddLine(boost::format("adapter uses Wins.\n"));
            section.AddLine(boost::format(" PrimaryWinsServer: %s\n") % adapter.PrimaryWinsServer);
            section.AddLine(boost::format(" SecondaryWinsServer: %s\n") % adapter.SecondaryWinsServer);
        }
        section.AddLine(boost::format("MTU: %s\n") % adapter.Mtu);
        section.AddLine(boost::format("Speed: %s\n") % adapter.Speed);
    }
    section.AddLine(boost::format("\n"));
}
