#ifndef ENVCHECK_INFO_NETWORK_NETWORKINFO_H
#define ENVCHECK_INFO_NETWORK_NETWORKINFO_H

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <memory>
#include <string>

#include "info/BaseInfo.h"
#include "info/RegistryApi.h"
#include "info/SystemLibrary.h"
#include "info/network/NetworkApi.h"

// The network section: host-wide parameters, then one block per adapter.
class TNetworkInfo : public TBaseInfo {
public:
    explicit TNetworkInfo(TNetworkApi& api = Win32NetworkApi(), TRegistryApi& registry = Win32RegistryApi());
    void Collect() override;

    void WriteHeading();
    void WriteParameters();
    void WriteAdapters();
    void AdapterLabel(std::string& label, const char* adapterName);
    void FindCardDescription(std::string& label, const char* adapterName);

private:
    void WriteAdapter(const IP_ADAPTER_INFO& adapter, decltype(&::GetIfEntry) getIfEntry);

    std::unique_ptr<TSystemLibrary> IpHelper;
    TNetworkApi& Api;
    TRegistryApi& Registry;
};

#endif
