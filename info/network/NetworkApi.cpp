#include "info/network/NetworkApi.h"

TNetworkApi& Win32NetworkApi()
{
    static TWin32NetworkApi api;
    return api;
}
