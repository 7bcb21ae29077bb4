#include "info/OsVersion.h"

OSVERSIONINFOEXA OsVersion;
bool OsVersionIsEx = false;
bool OsVersionLoaded = false;

bool LoadOsVersion(TVersionApi& api)
{
    OsVersion.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
    if (api.GetVersionExA(reinterpret_cast<LPOSVERSIONINFOA>(&OsVersion))) {
        OsVersionIsEx = true;
        return true;
    }
    // Whatever a refused call left behind must not pass for extended fields.
    ZeroMemory(&OsVersion, sizeof(OsVersion));
    OsVersion.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    OsVersionIsEx = false;
    return api.GetVersionExA(reinterpret_cast<LPOSVERSIONINFOA>(&OsVersion)) != FALSE;
}
