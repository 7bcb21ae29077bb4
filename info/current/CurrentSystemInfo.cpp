#include "info/current/CurrentSystemInfo.h"

#include "info/Kernel32Functions.h"
#include "info/OsVersion.h"
#include "info/Registry.h"
#include "info/current/CurrentFunctions.h"

namespace {

const char* const CurrentVersionKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

// The machine this build of the program is made for.
const USHORT OwnMachine = sizeof(void*) == 8 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386;

}  // namespace

TCurrentSystemInfo::TCurrentSystemInfo(TCurrentSystemApi& api, TRegistryApi& registry) : Api(api), Registry(registry)
{
    Title = "拡張情報を取得中...\n";
}

void TCurrentSystemInfo::Collect()
{
    ReadWindows();
    const bool dxgi = ReadAdapters();
    WriteSection(dxgi);
}

void TCurrentSystemInfo::ReadWindows()
{
    ReadVersion();
    ReadArchitecture();
    ReadCurrentVersionKey();
    const auto getPowerStatus = FindFunction<Kernel32::GetSystemPowerStatus>(TLoadedModule(Api, "kernel32.dll"));
    Windows.HasPower = getPowerStatus != nullptr && getPowerStatus(&Windows.Power);
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
    Windows.NativeMachine = OwnMachine;
    const auto isWow64Process2 = FindFunction<Kernel32::IsWow64Process2>(kernel32);
    USHORT processMachine = IMAGE_FILE_MACHINE_UNKNOWN;
    USHORT nativeMachine = IMAGE_FILE_MACHINE_UNKNOWN;
    if (isWow64Process2 != nullptr && isWow64Process2(Api.GetCurrentProcess(), &processMachine, &nativeMachine)) {
        if (nativeMachine != IMAGE_FILE_MACHINE_UNKNOWN) Windows.NativeMachine = nativeMachine;
        Windows.Emulated = processMachine != IMAGE_FILE_MACHINE_UNKNOWN;
        return;
    }
    // Before Windows 10 1709 a 32-bit program is emulated only on 64-bit x64 Windows.
    const auto isWow64Process = FindFunction<Kernel32::IsWow64Process>(kernel32);
    BOOL wow64 = FALSE;
    if (isWow64Process != nullptr && isWow64Process(Api.GetCurrentProcess(), &wow64) && wow64) {
        Windows.NativeMachine = IMAGE_FILE_MACHINE_AMD64;
        Windows.Emulated = true;
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
    if (key.ReadValue("UBR") && key.ValueType == REG_DWORD && key.DataSize == sizeof(DWORD)) {
        CopyMemory(&Windows.Ubr, key.Data, sizeof(DWORD));
        Windows.HasUbr = true;
    }
}
