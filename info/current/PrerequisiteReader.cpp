#include "info/current/CurrentSystemInfo.h"

#include "info/Kernel32Functions.h"
#include "info/Registry.h"
#include "info/SystemLibrary.h"
#include "info/WideText.h"
#include "info/current/CurrentFunctions.h"

namespace {

const char* const SecureBootKey = "SYSTEM\\CurrentControlSet\\Control\\SecureBoot\\State";
const char* const RuntimesKey = "SOFTWARE\\Microsoft\\VisualStudio\\14.0\\VC\\Runtimes\\";
const char* const DotNet4Key = "SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v4\\Full";

const unsigned OsXsave = 1u << 27;  // CPUID 1 ECX: Windows enabled XGETBV

}  // namespace

void TCurrentSystemInfo::ReadPrerequisites()
{
    ReadProcessor();
    ReadFirmware();
    ReadTpm();
    ReadCodeIntegrity();
    Record.Prerequisites.HasSecurityCenter = ReadSecurityCenter(Record.Prerequisites.SecurityProducts);
    ReadRuntimes();
    ReadExtras();
    ReadPowerPlan();
}

void TCurrentSystemInfo::ReadProcessor()
{
    PrerequisitesRecord& record = Record.Prerequisites;
    record.HasCpuid = Cpuid.HasCpuid();
    if (!record.HasCpuid) return;
    unsigned registers[4] = {};
    Cpuid.Cpuid(0, registers);
    const unsigned highest = registers[0];
    if (highest < 1) return;
    Cpuid.Cpuid(1, registers);
    record.FeatureEcx = registers[2];
    if (highest >= 7) {
        Cpuid.Cpuid(7, registers);
        record.ExtendedEbx = registers[1];
    }
    // XGETBV faults unless Windows turned it on, which OSXSAVE tells.
    if ((record.FeatureEcx & OsXsave) != 0) record.SavedState = Cpuid.Xgetbv(0);
}

void TCurrentSystemInfo::ReadFirmware()
{
    const auto getFirmwareType = FindFunction<Kernel32::GetFirmwareType>(TLoadedModule(Api, "kernel32.dll"));
    Record.Prerequisites.HasFirmware = getFirmwareType != nullptr;
    if (getFirmwareType == nullptr) return;
    FIRMWARE_TYPE type = FirmwareTypeUnknown;
    Record.Prerequisites.Firmware = getFirmwareType(&type) ? type : FirmwareTypeUnknown;
    // Windows keeps whether UEFI started it with Secure Boot here; the value is absent where it cannot tell.
    TRegistry key(Registry);
    DWORD enabled = 0;
    if (key.OpenKey(HKEY_LOCAL_MACHINE, SecureBootKey) && key.ReadDword("UEFISecureBootEnabled", enabled))
        Record.Prerequisites.SecureBoot = enabled != 0 ? TriState::Yes : TriState::No;
}

void TCurrentSystemInfo::ReadTpm()
{
    const TSystemLibrary tbs(Api, "tbs.dll");
    const auto getDeviceInfo = FindFunction<Tbs::Tbsi_GetDeviceInfo>(tbs);
    Record.Prerequisites.HasTpm = getDeviceInfo != nullptr;
    if (getDeviceInfo == nullptr) return;
    TpmDeviceInfo info = {};
    const UINT32 result = getDeviceInfo(sizeof(info), &info);
    if (result == TbsTpmNotFound) {
        Record.Prerequisites.TpmKnown = true;
    } else if (result == 0 && info.TpmVersion != 0) {
        // A TPM whose version it cannot tell (TPM_VERSION_UNKNOWN) is not the lack of one.
        Record.Prerequisites.TpmKnown = true;
        Record.Prerequisites.TpmVersion = info.TpmVersion;
    }
}

void TCurrentSystemInfo::ReadCodeIntegrity()
{
    // Vista brought code integrity's options; Windows 10 named memory integrity among them.
    if (!Record.Windows.HasVersion || Record.Windows.PlatformId != VER_PLATFORM_WIN32_NT || Record.Windows.Major < 6)
        return;
    const auto query = FindFunction<Ntdll::NtQuerySystemInformation>(TLoadedModule(Api, "ntdll.dll"));
    if (query == nullptr) return;
    Record.Prerequisites.HasCodeIntegrity = true;
    struct {
        ULONG Length;
        ULONG CodeIntegrityOptions;
    } information = {sizeof(information), 0};
    ULONG written = 0;
    if (query(SystemCodeIntegrity, &information, sizeof(information), &written) >= 0) {
        Record.Prerequisites.CodeIntegrityKnown = true;
        Record.Prerequisites.CodeIntegrityOptions = information.CodeIntegrityOptions;
    }
}

namespace {

// One runtime's key, in the view of its own architecture first: installers write the x64 runtime's
// key in one view or the other, and some in both.
void ReadRuntime(TRegistryApi& registry, const char* machine, REGSAM own, REGSAM other, RuntimeRecord& record)
{
    for (const REGSAM view : {own, other}) {
        TRegistry key(registry);
        DWORD installed = 0;
        if (!key.OpenKey(HKEY_LOCAL_MACHINE, std::string(RuntimesKey) + machine, view) ||
            !key.ReadDword("Installed", installed) || installed != 1) {
            if (other == own) return;
            continue;
        }
        record.Installed = true;
        DWORD major = 0, minor = 0, build = 0;
        if (key.ReadDword("Major", major) && key.ReadDword("Minor", minor) && key.ReadDword("Bld", build))
            record.Version = std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(build);
        return;
    }
}

}  // namespace

void TCurrentSystemInfo::ReadRuntimes()
{
    const bool wide = Record.Windows.NativeMachine != IMAGE_FILE_MACHINE_I386;
    // A 32-bit Windows has only the one view, and only the x86 runtime.
    if (wide) {
        ReadRuntime(Registry, "X86", KEY_WOW64_32KEY, KEY_WOW64_64KEY, Record.Prerequisites.RuntimeX86);
        ReadRuntime(Registry, "X64", KEY_WOW64_64KEY, KEY_WOW64_32KEY, Record.Prerequisites.RuntimeX64);
    } else {
        ReadRuntime(Registry, "X86", 0, 0, Record.Prerequisites.RuntimeX86);
    }
    Record.Prerequisites.HasRuntimeX64 = wide;
    TRegistry key(Registry);
    if (!key.OpenKey(HKEY_LOCAL_MACHINE, DotNet4Key, wide ? KEY_WOW64_64KEY : 0)) return;
    Record.Prerequisites.HasDotNet4 = true;
    Record.Prerequisites.HasDotNetRelease = key.ReadDword("Release", Record.Prerequisites.DotNetRelease);
}

void TCurrentSystemInfo::ReadExtras()
{
    // Old games are 32-bit: their files are in the 32-bit system directory, which is
    // SysWOW64 for a 64-bit program and where a 32-bit one's System32 leads it anyway.
    char directory[MAX_PATH] = {};
    const auto getWow64Directory =
        sizeof(void*) == 8 ? FindFunction<Kernel32::GetSystemWow64DirectoryA>(TLoadedModule(Api, "kernel32.dll"))
                           : nullptr;
    UINT length = getWow64Directory != nullptr ? getWow64Directory(directory, MAX_PATH) : 0;
    if (length == 0 || length >= MAX_PATH) length = Api.GetSystemDirectoryA(directory, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    const std::wstring folder = WideText(std::string(directory, length), CP_ACP) + L"\\";
    for (const char* name : DirectX9Extras()) {
        const std::wstring path = folder + WideText(name, CP_ACP) + L".dll";
        const DWORD attributes = Api.GetFileAttributesW(path.c_str());
        Record.Prerequisites.Extras.push_back(attributes != INVALID_FILE_ATTRIBUTES &&
                                              (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0);
    }
}

void TCurrentSystemInfo::ReadPowerPlan()
{
    const TSystemLibrary powrprof(Api, "powrprof.dll");
    const auto getActiveScheme = FindFunction<Powrprof::PowerGetActiveScheme>(powrprof);
    const auto readFriendlyName = FindFunction<Powrprof::PowerReadFriendlyName>(powrprof);
    Record.Prerequisites.HasPowerPlan = getActiveScheme != nullptr;
    GUID* scheme = nullptr;
    if (getActiveScheme == nullptr || getActiveScheme(nullptr, &scheme) != ERROR_SUCCESS || scheme == nullptr) return;
    // A name longer than any Windows gives is left unknown rather than read in pieces.
    WCHAR name[256] = {};
    DWORD size = sizeof(name) - sizeof(WCHAR);
    if (readFriendlyName != nullptr &&
        readFriendlyName(nullptr, scheme, nullptr, nullptr, reinterpret_cast<PUCHAR>(name), &size) == ERROR_SUCCESS)
        Record.Prerequisites.PowerPlan = OneLine(FieldText(name));
    Api.LocalFree(scheme);
}
