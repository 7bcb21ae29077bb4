// The network collector needs winsock2.h before windows.h.
#include <winsock2.h>

#include "app/Collectors.h"

#include "info/current/CurrentSystemInfo.h"
#include "info/directx/DirectXInfo.h"
#include "info/drive/DriveInfo.h"
#include "info/network/NetworkInfo.h"
#include "info/process/ProcessInfo.h"
#include "info/service/ServiceInfo.h"
#include "info/system/SystemInfo.h"

TCollectors::TCollectors(TVersionApi& versionApi) : Version(ReadOsVersion(versionApi))
{
    Owned.emplace_back(new TSystemInfo);
    Owned.emplace_back(new TDirectXInfo);
    Owned.emplace_back(new TProcessInfo);
    Owned.emplace_back(new TServiceInfo);
    Owned.emplace_back(new TNetworkInfo);
    Owned.emplace_back(new TDriveInfo);
    Owned.emplace_back(new TCurrentSystemInfo);
    for (const auto& collector : Owned) Pointers.push_back(collector.get());
}
