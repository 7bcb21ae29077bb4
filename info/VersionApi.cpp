#include "info/VersionApi.h"

TVersionApi& Win32VersionApi()
{
    static TWin32VersionApi api;
    return api;
}
