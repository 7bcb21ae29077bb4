#include "info/network/NetworkInfo.h"

#include <cstring>

#include "info/BoundedText.h"
#include "info/OsVersion.h"
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

}  // namespace

TNetworkInfo::TNetworkInfo(TNetworkApi& api, TRegistryApi& registry) : Api(api), Registry(registry)
{
    Title = "ネットワークの情報を取得中...\n";
}

void TNetworkInfo::Collect()
{
    IpHelper.reset(new TSystemLibrary(Api, "iphlpapi.dll"));
    WriteHeading();
    WriteParameters();
    WriteAdapters();
    IpHelper.reset();
}

void TNetworkInfo::WriteHeading() { AddLine(boost::format("Network Infomation:\n")); }

void TNetworkInfo::WriteParameters()
{
    const auto getNetworkParams = IpHelper ? FindFunction<IpHlpApi::GetNetworkParams>(*IpHelper) : nullptr;
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
    if (result != ERROR_SUCCESS) {
        AddLine(boost::format("ネットワークのパラメータの取得に失敗しました。\n"));
        return;
    }
    const FIXED_INFO& info = *reinterpret_cast<const FIXED_INFO*>(buffer.Get());
    AddLine(boost::format("Host Name: %s\n") % PlatformText(info.HostName));
    AddLine(boost::format("Domain Name: %s\n") % PlatformText(info.DomainName));
    // The chain lies inside the buffer; a link out of it, or a loop, ends it.
    const IP_ADDR_STRING* server = &info.DnsServerList;
    for (size_t links = buffer.Size() / sizeof(IP_ADDR_STRING); server != nullptr && links > 0; --links) {
        AddLine(boost::format("DNS Servers: %s\n") % PlatformText(server->IpAddress.String));
        server = buffer.Holds(server->Next, sizeof(IP_ADDR_STRING)) ? server->Next : nullptr;
    }
    switch (info.NodeType) {
    case BROADCAST_NODETYPE: AddLine(boost::format("NodeType: Broadcast\n")); break;
    case PEER_TO_PEER_NODETYPE: AddLine(boost::format("NodeType: PeerToPeer\n")); break;
    case MIXED_NODETYPE: AddLine(boost::format("NodeType: Mixed\n")); break;
    case HYBRID_NODETYPE: AddLine(boost::format("NodeType: Hybrid\n")); break;
    default: break;
    }
    if (info.EnableRouting != 0) AddLine(boost::format("EnableRouting.\n"));
    if (info.EnableProxy != 0) AddLine(boost::format("EnableProxy.\n"));
    if (info.EnableDns != 0) AddLine(boost::format("EnableDNS.\n"));
    AddLine(boost::format("\n"));
}

void TNetworkInfo::WriteAdapters()
{
    if (!IpHelper) return;
    const auto getNumberOfInterfaces = FindFunction<IpHlpApi::GetNumberOfInterfaces>(*IpHelper);
    const auto getAdaptersInfo = FindFunction<IpHlpApi::GetAdaptersInfo>(*IpHelper);
    const auto getIfEntry = FindFunction<IpHlpApi::GetIfEntry>(*IpHelper);
    if (getNumberOfInterfaces == nullptr || getAdaptersInfo == nullptr || getIfEntry == nullptr) return;

    DWORD interfaces = 0;
    getNumberOfInterfaces(&interfaces);
    if (interfaces == 0) return;

    ULONG size = 0;
    getAdaptersInfo(nullptr, &size);
    TPlatformBuffer buffer;
    ULONG room = size;
    // Blocks only from records the second call really wrote.
    if (size != 0 && buffer.Resize(size, sizeof(IP_ADAPTER_INFO)) &&
        getAdaptersInfo(reinterpret_cast<PIP_ADAPTER_INFO>(buffer.Get()), &room) == ERROR_SUCCESS) {
        const IP_ADAPTER_INFO* adapter = reinterpret_cast<const IP_ADAPTER_INFO*>(buffer.Get());
        for (size_t links = buffer.Size() / sizeof(IP_ADAPTER_INFO); adapter != nullptr && links > 0; --links) {
            WriteAdapter(*adapter, getIfEntry);
            adapter = buffer.Holds(adapter->Next, sizeof(IP_ADAPTER_INFO)) ? adapter->Next : nullptr;
        }
    }
    AddLine(boost::format("\n"));
}

void TNetworkInfo::WriteAdapter(const IP_ADAPTER_INFO& adapter, decltype(&::GetIfEntry) getIfEntry)
{
    const std::string name = PlatformText(adapter.AdapterName);
    std::string label;
    AdapterLabel(label, name.c_str());
    AddLine(boost::format("AdapterName: %s\n") % label);
    AddLine(boost::format("Description: %s\n") % PlatformText(adapter.Description));
    AddLine(boost::format("Physical Address: "));
    const UINT length = adapter.AddressLength < sizeof(adapter.Address) ? adapter.AddressLength : sizeof(adapter.Address);
    for (UINT i = 0; i < length; ++i) AddLine(boost::format("%02X-") % static_cast<unsigned>(adapter.Address[i]));
    AddLine(boost::format("\n"));
    AddLine(boost::format("IP Address: %s\n") % PlatformText(adapter.IpAddressList.IpAddress.String));
    AddLine(boost::format("Subnet Mask: %s\n") % PlatformText(adapter.IpAddressList.IpMask.String));
    AddLine(boost::format("Default Gateway: %s\n") % PlatformText(adapter.GatewayList.IpAddress.String));
    if (adapter.DhcpEnabled != 0) {
        AddLine(boost::format("adapter enabled DHCP.\n"));
        AddLine(boost::format(" DHCP Server: %s\n") % PlatformText(adapter.DhcpServer.IpAddress.String));
    }
    if (adapter.HaveWins != 0) {
        AddLine(boost::format("adapter uses Wins.\n"));
        AddLine(boost::format(" PrimaryWinsServer: %s\n") % PlatformText(adapter.PrimaryWinsServer.IpAddress.String));
        AddLine(boost::format(" SecondaryWinsServer: %s\n") % PlatformText(adapter.SecondaryWinsServer.IpAddress.String));
    }
    MIB_IFROW row;
    ZeroMemory(&row, sizeof(row));
    row.dwIndex = adapter.Index;
    getIfEntry(&row);
    AddLine(boost::format("MTU: %s\n") % row.dwMtu);
    AddLine(boost::format("Speed: %s\n") % row.dwSpeed);
}

void TNetworkInfo::AdapterLabel(std::string& label, const char* adapterName)
{
    label = adapterName;
    if (OsVersion.dwPlatformId == VER_PLATFORM_WIN32_NT) FindCardDescription(label, adapterName);
}

void TNetworkInfo::FindCardDescription(std::string& label, const char* adapterName)
{
    TRegistry cards(Registry);
    if (!cards.OpenKey(HKEY_LOCAL_MACHINE, NetworkCards)) return;
    cards.EnumKeys();
    for (const std::string& subkey : cards.SubKeys) {
        TRegistry card(Registry);
        if (!card.OpenKey(HKEY_LOCAL_MACHINE, std::string(NetworkCards) + "\\" + subkey)) continue;
        if (card.ReadValue("ServiceName") && card.ValueType == REG_SZ && card.DataText() == adapterName) {
            if (card.ReadValue("Description") && card.ValueType == REG_SZ)
                label = card.DataText() + " - " + adapterName;
        }
    }
}
