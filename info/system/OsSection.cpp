#include <cstring>

#include "info/BoundedText.h"
#include "info/OsVersion.h"
#include "info/OwnedHandle.h"
#include "info/system/SystemInfo.h"

namespace {

typedef TOwnedHandle<HKEY> TKey;

}  // namespace

void TSystemInfo::AddOsSection()
{
    switch (OsVersion.dwPlatformId) {
    case VER_PLATFORM_WIN32s:
        AddLine(boost::format("Microsoft Win32s\n"));
        return;
    case VER_PLATFORM_WIN32_WINDOWS: {
        const DWORD major = OsVersion.dwMajorVersion;
        const DWORD minor = OsVersion.dwMinorVersion;
        const char letter = OsVersion.szCSDVersion[1];
        if (major == 4 && minor == 0) {
            AddLine(boost::format("Microsoft Windows 95 "));
            if (letter == 'C' || letter == 'B') AddLine(boost::format("OSR2 "));
        }
        if (major == 4 && minor == 10) {
            AddLine(boost::format("Microsoft Windows 98 "));
            if (letter == 'A') AddLine(boost::format("SE "));
        }
        if (major == 4 && minor == 90) AddLine(boost::format("Microsoft Windows Millennium Edition\n"));
        return;
    }
    case VER_PLATFORM_WIN32_NT:
        AddProductName();
        if (OsVersionIsEx) {
            AddEdition();
        } else if (!AddBasicEdition()) {
            return;
        }
        AddBuild();
        return;
    default:
        return;
    }
}

void TSystemInfo::AddProductName()
{
    const DWORD major = OsVersion.dwMajorVersion;
    const DWORD minor = OsVersion.dwMinorVersion;
    // Windows 8 and later: only a workstation's own name is known here.
    const bool workstation = OsVersionIsEx && OsVersion.wProductType == VER_NT_WORKSTATION;
    if (workstation && major == 10 && minor == 0)
        AddLine(boost::format(OsVersion.dwBuildNumber >= 22000 ? "Microsoft Windows 11 " : "Microsoft Windows 10 "));
    if (workstation && major == 6 && minor == 3) AddLine(boost::format("Microsoft Windows 8.1 "));
    if (workstation && major == 6 && minor == 2) AddLine(boost::format("Microsoft Windows 8 "));
    if (major == 6 && minor == 1) AddLine(boost::format("Microsoft Windows 7 "));
    if (major == 6 && minor == 0) AddLine(boost::format("Microsoft Windows Vista "));
    if (major == 5 && minor == 2) AddLine(boost::format("Microsoft Windows Server&nbsp;2003 family, "));
    if (major == 5 && minor == 1) AddLine(boost::format("Microsoft Windows XP "));
    if (major == 5 && minor == 0) AddLine(boost::format("Microsoft Windows 2000 "));
    if (major <= 4) AddLine(boost::format("Microsoft Windows NT "));
}

void TSystemInfo::AddEdition()
{
    const DWORD major = OsVersion.dwMajorVersion;
    const DWORD minor = OsVersion.dwMinorVersion;
    const WORD suite = OsVersion.wSuiteMask;
    if (OsVersion.wProductType == VER_NT_WORKSTATION) {
        if (major == 4)
            AddLine(boost::format("Workstation 4.0 "));
        else if (suite & VER_SUITE_PERSONAL)
            AddLine(boost::format("Home Edition "));
        else
            AddLine(boost::format("Professional "));
    } else if (OsVersion.wProductType == VER_NT_SERVER) {
        if (major == 5 && minor == 2) {
            if (suite & VER_SUITE_DATACENTER)
                AddLine(boost::format("Datacenter Edition "));
            else if (suite & VER_SUITE_ENTERPRISE)
                AddLine(boost::format("Enterprise Edition "));
            else if (suite == VER_SUITE_BLADE)
                AddLine(boost::format("Web Edition "));
            else
                AddLine(boost::format("Standard Edition "));
        } else if (major == 5 && minor == 0) {
            if (suite & VER_SUITE_DATACENTER)
                AddLine(boost::format("Datacenter Server "));
            else if (suite & VER_SUITE_ENTERPRISE)
                AddLine(boost::format("Advanced Server "));
            else
                AddLine(boost::format("Server "));
        } else {
            if (suite & VER_SUITE_ENTERPRISE)
                AddLine(boost::format("Server 4.0, Enterprise Edition "));
            else
                AddLine(boost::format("Server 4.0 "));
        }
    }
}

bool TSystemInfo::AddBasicEdition()
{
    const DWORD BufferSize = 80;
    // One spare byte: a value stored without its terminator still ends here.
    char productType[BufferSize + 1] = {};
    DWORD size = BufferSize;
    LONG result = ERROR_SUCCESS;
    {
        HKEY opened = nullptr;
        if (Registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\ProductOptions", 0,
                                   KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
            return false;
        const TKey key(Registry, &TRegistryApi::RegCloseKey, opened, nullptr);
        result = Registry.RegQueryValueExA(key.Get(), "ProductType", nullptr, nullptr,
                                           reinterpret_cast<LPBYTE>(productType), &size);
    }
    if (result != ERROR_SUCCESS || size > BufferSize) return false;
    productType[size] = '\0';

    if (Api.lstrcmpiA("WINNT", productType) == 0) AddLine(boost::format("Workstation "));
    if (Api.lstrcmpiA("LANMANNT", productType) == 0) AddLine(boost::format("Server "));
    if (Api.lstrcmpiA("SERVERNT", productType) == 0) AddLine(boost::format("Advanced Server "));
    AddLine(boost::format("%d.%d ") % OsVersion.dwMajorVersion % OsVersion.dwMinorVersion);
    return true;
}

void TSystemInfo::AddBuild()
{
    const DWORD build = OsVersion.dwBuildNumber & 0xFFFF;
    // szCSDVersion is 128 bytes; its text never runs past them.
    const std::string servicePack = PlatformText(OsVersion.szCSDVersion);
    if (OsVersion.dwMajorVersion == 4 && Api.lstrcmpiA(servicePack.c_str(), "Service Pack 6") == 0) {
        HKEY opened = nullptr;
        if (Registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009",
                                   0, KEY_QUERY_VALUE, &opened) == ERROR_SUCCESS) {
            const TKey key(Registry, &TRegistryApi::RegCloseKey, opened, nullptr);
            AddLine(boost::format("Service Pack 6a (Build %d)\n") % build);
            return;
        }
    }
    AddLine(boost::format("%s (Build %d)\n") % servicePack % build);
}
