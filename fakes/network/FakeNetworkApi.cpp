#include "fakes/network/FakeNetworkApi.h"

#include <cstring>

TFakeNetworkApi::TFakeNetworkApi()
{
    Provide("iphlpapi.dll", reinterpret_cast<HMODULE>(0x1F000000),
            {{"GetNetworkParams", CurrentFakeFunction<&TFakeNetworkApi::GetNetworkParams>()},
             {"GetNumberOfInterfaces", CurrentFakeFunction<&TFakeNetworkApi::GetNumberOfInterfaces>()},
             {"GetAdaptersInfo", CurrentFakeFunction<&TFakeNetworkApi::GetAdaptersInfo>()},
             {"GetIfEntry", CurrentFakeFunction<&TFakeNetworkApi::GetIfEntry>()}});
}

IP_ADAPTER_INFO TFakeNetworkApi::Adapter(const char* name, const char* ip, DWORD index)
{
    IP_ADAPTER_INFO adapter;
    memset(&adapter, 0, sizeof(adapter));
    strcpy(adapter.AdapterName, name);
    strcpy(adapter.Description, "Fake Ethernet");
    adapter.AddressLength = 6;
    const BYTE address[6] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    memcpy(adapter.Address, address, 6);
    adapter.Index = index;
    strcpy(adapter.IpAddressList.IpAddress.String, ip);
    strcpy(adapter.IpAddressList.IpMask.String, "255.255.255.0");
    strcpy(adapter.GatewayList.IpAddress.String, "192.168.0.1");
    return adapter;
}

DWORD TFakeNetworkApi::GetNetworkParams(PFIXED_INFO info, PULONG size)
{
    ParamsSizes.push_back(*size);
    if (FaultPlan.Fails("GetNetworkParams")) return ERROR_NOT_SUPPORTED;
    if (++ParamsCalls > 1 && SecondParamsResult != ERROR_SUCCESS) return SecondParamsResult;
    if (ParamsCalls == 1 && ClaimedParamsSize != 0) {
        *size = ClaimedParamsSize;
        return ERROR_BUFFER_OVERFLOW;
    }
    const size_t extra = DnsServers.size() > 1 ? DnsServers.size() - 1 : 0;
    const ULONG needed = static_cast<ULONG>(sizeof(FIXED_INFO) + extra * sizeof(IP_ADDR_STRING));
    if (info == nullptr || *size < needed) {
        *size = needed;
        return ERROR_BUFFER_OVERFLOW;
    }
    memset(info, 0, needed);
    strcpy(info->HostName, HostName.c_str());
    strcpy(info->DomainName, DomainName.c_str());
    IP_ADDR_STRING* chain = reinterpret_cast<IP_ADDR_STRING*>(info + 1);
    IP_ADDR_STRING* server = &info->DnsServerList;
    for (size_t i = 0; i < DnsServers.size(); ++i) {
        strcpy(server->IpAddress.String, DnsServers[i].c_str());
        server->Next = i + 1 < DnsServers.size() ? &chain[i] : nullptr;
        server = server->Next;
    }
    info->NodeType = NodeType;
    info->EnableRouting = Routing;
    info->EnableProxy = Proxy;
    info->EnableDns = Dns;
    return ERROR_SUCCESS;
}

ULONG TFakeNetworkApi::GetAdaptersInfo(PIP_ADAPTER_INFO info, PULONG size)
{
    if (FaultPlan.Fails("GetAdaptersInfo")) return ERROR_NOT_SUPPORTED;
    if (++AdaptersCalls > 1 && SecondAdaptersResult != ERROR_SUCCESS) return SecondAdaptersResult;
    if (Adapters.empty()) return ERROR_NO_DATA;
    const ULONG needed = static_cast<ULONG>(Adapters.size() * sizeof(IP_ADAPTER_INFO));
    if (info == nullptr || *size < needed) {
        *size = needed;
        return ERROR_BUFFER_OVERFLOW;
    }
    for (size_t i = 0; i < Adapters.size(); ++i) {
        info[i] = Adapters[i];
        info[i].Next = i + 1 < Adapters.size() ? &info[i + 1] : nullptr;
    }
    return ERROR_SUCCESS;
}

DWORD TFakeNetworkApi::GetNumberOfInterfaces(PDWORD count)
{
    if (FaultPlan.Fails("GetNumberOfInterfaces")) return ERROR_NOT_SUPPORTED;
    *count = Interfaces;
    return NO_ERROR;
}

DWORD TFakeNetworkApi::GetIfEntry(PMIB_IFROW row)
{
    if (FaultPlan.Fails("GetIfEntry")) return ERROR_NOT_SUPPORTED;
    auto found = Rows.find(row->dwIndex);
    if (found == Rows.end()) return ERROR_INVALID_DATA;
    *row = found->second;
    return NO_ERROR;
}
