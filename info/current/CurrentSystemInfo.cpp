#include "info/current/CurrentSystemInfo.h"

#include "info/Kernel32Functions.h"
#include "info/OsVersion.h"
#include "info/Registry.h"
#include "info/current/CurrentFunctions.h"

namespace {

const char* const CurrentVersionKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

// A whole decimal number of at most nine digits, and nothing else.
bool ReadNumber(const std::string& text, DWORD& number)
{
    if (text.empty() || text.size() > 9) return false;
    number = 0;
    for (const char digit : text) {
        if (digit < '0' || digit > '9') return false;
        number = number * 10 + static_cast<DWORD>(digit - '0');
    }
    return true;
}

}  // namespace

TCurrentSystemInfo::TCurrentSystemInfo(TCurrentSystemApi& api, TRegistryApi& registry, TCpuidApi& cpuid)
    : Api(api), Registry(registry), Cpuid(cpuid)
{
    Title = "拡張情報を取得中...\n";
}

void TCurrentSystemInfo::Collect()
{
    ReadWindows();
    ReadPrerequisites();
    const bool dxgi = ReadAdapters();
    ReadDisplayConfiguration();
    ReadDisplayDevices();
    HasCrashLog = ReadCrashes();
    WriteSection(dxgi);
}

void TCurrentSystemInfo::ReadWindows()
{
    ReadVersion();
    ReadArchitecture();
    ReadCurrentVersionKey();
    const auto getPowerStatus = FindFunction<Kernel32::GetSystemPowerStatus>(TLoadedModule(Api, "kernel32.dll"));
    Windows.HasPower = getPowerStatus != nullptr && getPowerStatus(&Windows.Power);
    Windows.RemoteSession = Api.GetSystemMetrics(SM_REMOTESESSION) != 0;
}

void TCurrentSystemInfo::ReadVersion()
{
    const auto getVersion = FindFunction<Ntdll::RtlGetVersion>(TLoadedModule(Api, "ntdll.dll"));
    RTL_OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    if (getVersion != nullptr && getVersion(reinterpret_cast<PRTL_OSVERSIONINFOW>(&version)) == 0) {
        Windows.PlatformId = version.dwPlatformId;
        Windows.Major = version.dwMajorVersion;
        Windows.Minor = version.dwMinorVersion;
        Windows.Build = version.dwBuildNumber;
        Windows.ProductType = version.wProductType;
        Windows.HasVersion = true;
        return;
    }
    // Without RtlGetVersion (Windows 9x) the version record is true already.
    if (!OsVersionLoaded) return;
    Windows.PlatformId = OsVersion.dwPlatformId;
    Windows.Major = OsVersion.dwMajorVersion;
    Windows.Minor = OsVersion.dwMinorVersion;
    Windows.Build = OsVersion.dwBuildNumber & (OsVersion.dwPlatformId == VER_PLATFORM_WIN32_NT ? 0xFFFFFFFF : 0xFFFF);
    Windows.ProductType = OsVersionIsEx ? OsVersion.wProductType : VER_NT_WORKSTATION;
    Windows.HasVersion = true;
}

void TCurrentSystemInfo::ReadArchitecture()
{
    const TLoadedModule kernel32(Api, "kernel32.dll");
    Windows.NativeMachine = Windows.ProcessMachine = OwnMachine;
    // Windows 11 names the process's machine even where it is emulated without WOW64 (x64 on ARM64).
    const auto getInformation = FindFunction<Kernel32::GetProcessInformation>(kernel32);
    PROCESS_MACHINE_INFORMATION machine = {};
    if (getInformation != nullptr &&
        getInformation(Api.GetCurrentProcess(), ProcessMachineTypeInfo, &machine, sizeof(machine)) &&
        machine.ProcessMachine != IMAGE_FILE_MACHINE_UNKNOWN)
        Windows.ProcessMachine = machine.ProcessMachine;
    // Its process machine is UNKNOWN for any process that is not WOW64's, emulated or not.
    const auto isWow64Process2 = FindFunction<Kernel32::IsWow64Process2>(kernel32);
    USHORT processMachine = IMAGE_FILE_MACHINE_UNKNOWN;
    USHORT nativeMachine = IMAGE_FILE_MACHINE_UNKNOWN;
    if (isWow64Process2 != nullptr && isWow64Process2(Api.GetCurrentProcess(), &processMachine, &nativeMachine)) {
        if (nativeMachine != IMAGE_FILE_MACHINE_UNKNOWN) Windows.NativeMachine = nativeMachine;
        if (processMachine != IMAGE_FILE_MACHINE_UNKNOWN) Windows.ProcessMachine = processMachine;
        return;
    }
    // Before Windows 10 1709 a 32-bit program is emulated only on 64-bit x64 Windows.
    const auto isWow64Process = FindFunction<Kernel32::IsWow64Process>(kernel32);
    BOOL wow64 = FALSE;
    if (isWow64Process != nullptr && isWow64Process(Api.GetCurrentProcess(), &wow64) && wow64) {
        Windows.NativeMachine = IMAGE_FILE_MACHINE_AMD64;
        Windows.ProcessMachine = IMAGE_FILE_MACHINE_I386;
    }
}

void TCurrentSystemInfo::ReadCurrentVersionKey()
{
    TRegistry key(Registry);
    // A 32-bit program would read the WOW64 copy of the key, which lacks some values.
    const REGSAM view = Windows.NativeMachine != IMAGE_FILE_MACHINE_I386 ? KEY_WOW64_64KEY : 0;
    if (!key.OpenKey(HKEY_LOCAL_MACHINE, CurrentVersionKey, view)) return;
    if (key.ReadValue("EditionID") && key.ValueType == REG_SZ) Windows.EditionId = key.DataText();
    if (key.ReadValue("DisplayVersion") && key.ValueType == REG_SZ) Windows.DisplayVersion = key.DataText();
    if (Windows.DisplayVersion.empty() && key.ReadValue("ReleaseId") && key.ValueType == REG_SZ)
        Windows.DisplayVersion = key.DataText();
    Windows.HasUbr = key.ReadDword("UBR", Windows.Ubr);
    // Windows 10 and later keep their true version here, which a compatibility mode does not change.
    DWORD major = 0, minor = 0, build = 0;
    if (!Windows.HasVersion || !key.ReadDword("CurrentMajorVersionNumber", major) || major < 10 ||
        !key.ReadDword("CurrentMinorVersionNumber", minor) || !key.ReadValue("CurrentBuildNumber") ||
        key.ValueType != REG_SZ || !ReadNumber(key.DataText(), build))
        return;
    if (Windows.PlatformId == VER_PLATFORM_WIN32_NT && major == Windows.Major && minor == Windows.Minor &&
        build == Windows.Build)
        return;
    Windows.CompatibilityMode = true;
    Windows.ToldPlatformId = Windows.PlatformId;
    Windows.ToldMajor = Windows.Major;
    Windows.ToldMinor = Windows.Minor;
    Windows.ToldBuild = Windows.Build;
    Windows.PlatformId = VER_PLATFORM_WIN32_NT;
    Windows.Major = major;
    Windows.Minor = minor;
    Windows.Build = build;
}

