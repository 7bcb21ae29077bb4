#include "info/OsVersion.h"

OsVersionRecord ReadOsVersion(TVersionApi& api)
{
    OsVersionRecord version;
    version.Info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
    if (api.GetVersionExA(reinterpret_cast<LPOSVERSIONINFOA>(&version.Info))) {
        version.IsEx = version.Loaded = true;
        return version;
    }
    // Whatever a refused call left behind must not pass for extended fields.
    ZeroMemory(&version.Info, sizeof(version.Info));
    version.Info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    version.Loaded = api.GetVersionExA(reinterpret_cast<LPOSVERSIONINFOA>(&version.Info)) != FALSE;
    return version;
}
