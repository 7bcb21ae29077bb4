#include "info/BoundedText.h"
#include "info/OwnedHandle.h"
#include "info/system/SystemInfo.h"

namespace {

typedef TOwnedHandle<HKEY> TKey;

// The basic form's ProductType values, in the order they are compared, and their words.
const struct {
    const char* Type;
    const char* Edition;
} ProductTypes[3] = {{"WINNT", "Workstation "}, {"LANMANNT", "Server "}, {"SERVERNT", "Advanced Server "}};

const char* ProductName(const OsVersionRecord& version)
{
    const DWORD major = version.Info.dwMajorVersion, minor = version.Info.dwMinorVersion;
    // Windows 8 and later: only a workstation's own name is known here.
    const bool workstation = version.IsEx && version.Info.wProductType == VER_NT_WORKSTATION;
    if (workstation && major == 10 && minor == 0)
        return version.Info.dwBuildNumber >= 22000 ? "Microsoft Windows 11 " : "Microsoft Windows 10 ";
    if (workstation && major == 6 && minor == 3) return "Microsoft Windows 8.1 ";
    if (workstation && major == 6 && minor == 2) return "Microsoft Windows 8 ";
    if (major == 6 && minor == 1) return "Microsoft Windows 7 ";
    if (major == 6 && minor == 0) return "Microsoft Windows Vista ";
    if (major == 5 && minor == 2) return "Microsoft Windows Server&nbsp;2003 family, ";
    if (major == 5 && minor == 1) return "Microsoft Windows XP ";
    if (major == 5 && minor == 0) return "Microsoft Windows 2000 ";
    return major <= 4 ? "Microsoft Windows NT " : nullptr;
}

// The edition the extended form's product type and suite name.
const char* Edition(const OSVERSIONINFOEXA& info)
{
    const DWORD major = info.dwMajorVersion, minor = info.dwMinorVersion;
    const WORD suite = info.wSuiteMask;
    if (info.wProductType == VER_NT_WORKSTATION) {
        if (major == 4) return "Workstation 4.0 ";
        return suite & VER_SUITE_PERSONAL ? "Home Edition " : "Professional ";
    }
    if (info.wProductType != VER_NT_SERVER) return nullptr;
    if (major == 5 && minor == 2) {
        if (suite & VER_SUITE_DATACENTER) return "Datacenter Edition ";
        if (suite & VER_SUITE_ENTERPRISE) return "Enterprise Edition ";
        return suite == VER_SUITE_BLADE ? "Web Edition " : "Standard Edition ";
    }
    if (major == 5 && minor == 0) {
        if (suite & VER_SUITE_DATACENTER) return "Datacenter Server ";
        return suite & VER_SUITE_ENTERPRISE ? "Advanced Server " : "Server ";
    }
    return suite & VER_SUITE_ENTERPRISE ? "Server 4.0, Enterprise Edition " : "Server 4.0 ";
}

}  // namespace

OsRecord TSystemInfo::ReadOs(const OsVersionRecord& version)
{
    OsRecord record;
    if (version.Info.dwPlatformId != VER_PLATFORM_WIN32_NT || (!version.IsEx && !ReadProductType(record)))
        return record;
    // szCSDVersion is 128 bytes; its text never runs past them.
    record.ServicePack = PlatformText(version.Info.szCSDVersion);
    HKEY opened = nullptr;
    record.HasQ246009 =
        version.Info.dwMajorVersion == 4 && Api.lstrcmpiA(record.ServicePack.c_str(), "Service Pack 6") == 0 &&
        Registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009",
                               0, KEY_QUERY_VALUE, &opened) == ERROR_SUCCESS;
    const TKey key(Registry, &TRegistryApi::RegCloseKey, record.HasQ246009 ? opened : nullptr, nullptr);
    return record;
}

bool TSystemInfo::ReadProductType(OsRecord& record)
{
    const DWORD BufferSize = 80;
    // One spare byte: a value stored without its terminator still ends here.
    char productType[BufferSize + 1] = {};
    DWORD size = BufferSize;
    HKEY opened = nullptr;
    if (Registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\ProductOptions", 0,
                               KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return false;
    TKey key(Registry, &TRegistryApi::RegCloseKey, opened, nullptr);
    const LONG result = Registry.RegQueryValueExA(key.Get(), "ProductType", nullptr, nullptr,
                                                  reinterpret_cast<LPBYTE>(productType), &size);
    key.Reset();  // closed before its answer is compared
    if (result != ERROR_SUCCESS || size > BufferSize) return false;
    productType[size] = '\0';
    for (int i = 0; i < 3; ++i) record.ProductTypeIs[i] = Api.lstrcmpiA(ProductTypes[i].Type, productType) == 0;
    return record.ProductTypeRead = true;
}

void WriteOsSection(const OsRecord& record, const OsVersionRecord& version, TSection& section)
{
    const OSVERSIONINFOEXA& info = version.Info;
    if (info.dwPlatformId == VER_PLATFORM_WIN32s) section.AddLine(boost::format("Microsoft Win32s\n"));
    if (info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && info.dwMajorVersion == 4) {
        const DWORD minor = info.dwMinorVersion;
        const char letter = info.szCSDVersion[1];
        if (minor == 0) section.AddLine(boost::format("Microsoft Windows 95 "));
        if (minor == 0 && (letter == 'C' || letter == 'B')) section.AddLine(boost::format("OSR2 "));
        if (minor == 10) section.AddLine(boost::format("Microsoft Windows 98 "));
        if (minor == 10 && letter == 'A') section.AddLine(boost::format("SE "));
        if (minor == 90) section.AddLine(boost::format("Microsoft Windows Millennium Edition\n"));
    }
    if (info.dwPlatformId != VER_PLATFORM_WIN32_NT) return;
    if (const char* name = ProductName(version)) section.AddLine(boost::format(name));
    if (version.IsEx) {
        if (const char* edition = Edition(info)) section.AddLine(boost::format(edition));
    } else {
        if (!record.ProductTypeRead) return;
        for (int i = 0; i < 3; ++i)
            if (record.ProductTypeIs[i]) section.AddLine(boost::format(ProductTypes[i].Edition));
        section.AddLine(boost::format("%d.%d ") % info.dwMajorVersion % info.dwMinorVersion);
    }
    const DWORD build = info.dwBuildNumber & 0xFFFF;
    section.AddLine(boost::format("%s (Build %d)\n") %
                    (record.HasQ246009 ? std::string("Service Pack 6a") : record.ServicePack) % build);
}
