#include "info/current/CurrentSystemInfo.h"

#include "info/Kernel32Functions.h"
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
    : TBaseInfo("拡張情報を取得中...\n"), Api(api), Registry(registry), Cpuid(cpuid)
{
}

void TCurrentSystemInfo::Collect(const OsVersionRecord& version)
{
    ReadWindows(version);
    ReadPrerequisites();
    Record.HasDxgi = ReadAdapters();
    ReadDisplayConfiguration();
    ReadDisplayDevices();
    Record.HasCrashLog = ReadCrashes();
    WriteCurrentSection(Record, Section);
}

void TCurrentSystemInfo::ReadWindows(const OsVersionRecord& told)
{
    ReadVersion(told);
    ReadArchitecture();
    ReadCurrentVersionKey();
    const auto getPowerStatus = FindFunction<Kernel32::GetSystemPowerStatus>(TLoadedModule(Api, "kernel32.dll"));
    Record.Windows.HasPower = getPowerStatus != nullptr && getPowerStatus(&Record.Windows.Power);
    Record.Windows.RemoteSession = Api.GetSystemMetrics(SM_REMOTESESSION) != 0;
}

void TCurrentSystemInfo::ReadVersion(const OsVersionRecord& told)
{
    const auto getVersion = FindFunction<Ntdll::RtlGetVersion>(TLoadedModule(Api, "ntdll.dll"));
    RTL_OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    if (getVersion != nullptr && getVersion(reinterpret_cast<PRTL_OSVERSIONINFOW>(&version)) == 0) {
        Record.Windows.PlatformId = version.dwPlatformId;
        Record.Windows.Major = version.dwMajorVersion;
        Record.Windows.Minor = version.dwMinorVersion;
        Record.Windows.Build = version.dwBuildNumber;
        Record.Windows.ProductType = version.wProductType;
        Record.Windows.HasVersion = true;
        return;
    }
    // Without RtlGetVersion (Windows 9x) the version record is true already.
    if (!told.Loaded) return;
    Record.Windows.PlatformId = told.Info.dwPlatformId;
    Record.Windows.Major = told.Info.dwMajorVersion;
    Record.Windows.Minor = told.Info.dwMinorVersion;
    Record.Windows.Build =
        told.Info.dwBuildNumber & (told.Info.dwPlatformId == VER_PLATFORM_WIN32_NT ? 0xFFFFFFFF : 0xFFFF);
    Record.Windows.ProductType = told.IsEx ? told.Info.wProductType : VER_NT_WORKSTATION;
    Record.Windows.HasVersion = true;
}

void TCurrentSystemInfo::ReadArchitecture()
{
    const TLoadedModule kernel32(Api, "kernel32.dll");
    Record.Windows.NativeMachine = Record.Windows.ProcessMachine = OwnMachine;
    // Windows 11 names the process's machine even where it is emulated without WOW64 (x64 on ARM64).
    const auto getInformation = FindFunction<Kernel32::GetProcessInformation>(kernel32);
    PROCESS_MACHINE_INFORMATION machine = {};
    if (getInformation != nullptr &&
        getInformation(Api.GetCurrentProcess(), ProcessMachineTypeInfo, &machine, sizeof(machine)) &&
        machine.ProcessMachine != IMAGE_FILE_MACHINE_UNKNOWN)
        Record.Windows.ProcessMachine = machine.ProcessMachine;
    // Its process machine is UNKNOWN for any process that is not WOW64's, emulated or not.
    const auto isWow64Process2 = FindFunction<Kernel32::IsWow64Process2>(kernel32);
    USHORT processMachine = IMAGE_FILE_MACHINE_UNKNOWN;
    USHORT nativeMachine = IMAGE_FILE_MACHINE_UNKNOWN;
    if (isWow64Process2 != nullptr && isWow64Process2(Api.GetCurrentProcess(), &processMachine, &nativeMachine)) {
        if (nativeMachine != IMAGE_FILE_MACHINE_UNKNOWN) Record.Windows.NativeMachine = nativeMachine;
        if (processMachine != IMAGE_FILE_MACHINE_UNKNOWN) Record.Windows.ProcessMachine = processMachine;
        return;
    }
    // Before Windows 10 1709 a 32-bit program is emulated only on 64-bit x64 Windows.
    const auto isWow64Process = FindFunction<Kernel32::IsWow64Process>(kernel32);
    BOOL wow64 = FALSE;
    if (isWow64Process != nullptr && isWow64Process(Api.GetCurrentProcess(), &wow64) && wow64) {
        Record.Windows.NativeMachine = IMAGE_FILE_MACHINE_AMD64;
        Record.Windows.ProcessMachine = IMAGE_FILE_MACHINE_I386;
    }
}

void TCurrentSystemInfo::ReadCurrentVersionKey()
{
    TRegistry key(Registry);
    // A 32-bit program would read the WOW64 copy of the key, which lacks some values.
    const REGSAM view = Record.Windows.NativeMachine != IMAGE_FILE_MACHINE_I386 ? KEY_WOW64_64KEY : 0;
    if (!key.OpenKey(HKEY_LOCAL_MACHINE, CurrentVersionKey, view)) return;
    if (key.ReadValue("EditionID") && key.ValueType == REG_SZ) Record.Windows.EditionId = key.DataText();
    if (key.ReadValue("DisplayVersion") && key.ValueType == REG_SZ) Record.Windows.DisplayVersion = key.DataText();
    if (Record.Windows.DisplayVersion.empty() && key.ReadValue("ReleaseId") && key.ValueType == REG_SZ)
        Record.Windows.DisplayVersion = key.DataText();
    Record.Windows.HasUbr = key.ReadDword("UBR", Record.Windows.Ubr);
    // Windows 10 and later keep their true version here, which a compatibility mode does not change.
    DWORD major = 0, minor = 0, build = 0;
    if (!Record.Windows.HasVersion || !key.ReadDword("CurrentMajorVersionNumber", major) || major < 10 ||
        !key.ReadDword("CurrentMinorVersionNumber", minor) || !key.ReadValue("CurrentBuildNumber") ||
        key.ValueType != REG_SZ || !ReadNumber(key.DataText(), build))
        return;
    if (Record.Windows.PlatformId == VER_PLATFORM_WIN32_NT && major == Record.Windows.Major &&
        minor == Record.Windows.Minor && build == Record.Windows.Build)
        return;
    Record.Windows.CompatibilityMode = true;
    Record.Windows.ToldPlatformId = Record.Windows.PlatformId;
    Record.Windows.ToldMajor = Record.Windows.Major;
    Record.Windows.ToldMinor = Record.Windows.Minor;
    Record.Windows.ToldBuild = Record.Windows.Build;
    Record.Windows.PlatformId = VER_PLATFORM_WIN32_NT;
    Record.Windows.Major = major;
    Record.Windows.Minor = minor;
    Record.Windows.Build = build;
}

