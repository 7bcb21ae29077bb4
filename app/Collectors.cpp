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

void CreateCollectors(std::vector<TBaseInfo*>& collectors)
{
    collectors.push_back(new TSystemInfo);
    collectors.push_back(new TDirectXInfo);
    collectors.push_back(new TProcessInfo);
    collectors.push_back(new TServiceInfo);
    collectors.push_back(new TNetworkInfo);
    collectors.push_back(new TDriveInfo);
    collectors.push_back(new TCurrentSystemInfo);
}

void DeleteCollectors(std::vector<TBaseInfo*>& collectors)
{
    for (TBaseInfo* collector : collectors) delete collector;
    collectors.clear();
}
