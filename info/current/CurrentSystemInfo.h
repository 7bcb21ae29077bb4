#ifndef ENVCHECK_INFO_CURRENT_CURRENTSYSTEMINFO_H
#define ENVCHECK_INFO_CURRENT_CURRENTSYSTEMINFO_H

#include <windows.h>
#include <dxgi.h>

#include <string>
#include <vector>

#include "info/BaseInfo.h"
#include "info/Kernel32Functions.h"
#include "info/RegistryApi.h"
#include "info/current/CurrentFunctions.h"
#include "info/current/CurrentSystemApi.h"
#include "info/system/CpuidApi.h"

// The machine this build of the program is made for.
constexpr USHORT OwnMachine = sizeof(void*) == 8 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386;

// The running Windows as it is, not as it answers old programs.
struct WindowsRecord {
    DWORD PlatformId = VER_PLATFORM_WIN32_NT;
    DWORD Major = 0;
    DWORD Minor = 0;
    DWORD Build = 0;
    BYTE ProductType = VER_NT_WORKSTATION;
    bool HasVersion = false;
    // A compatibility mode makes RtlGetVersion lie as well: the registry's
    // version then stands above, and what the program was told is kept here.
    bool CompatibilityMode = false;
    DWORD ToldPlatformId = VER_PLATFORM_WIN32_NT;
    DWORD ToldMajor = 0;
    DWORD ToldMinor = 0;
    DWORD ToldBuild = 0;
    // From the registry; empty, or HasUbr false, where Windows does not keep them.
    std::string EditionId;
    std::string DisplayVersion;  // or the older ReleaseId
    bool HasUbr = false;
    DWORD Ubr = 0;
    // IMAGE_FILE_MACHINE_* of Windows and of this process; they differ when it is emulated.
    USHORT NativeMachine = OwnMachine;
    USHORT ProcessMachine = OwnMachine;
    bool HasPower = false;
    SYSTEM_POWER_STATUS Power = {};
    // The adapters and displays of a remote session are not the player's.
    bool RemoteSession = false;
};

// One of DXGI's memory figures; AtLeast when only the 32-bit cap is known.
struct MemoryFigure {
    ULONGLONG Bytes = 0;
    bool AtLeast = false;
};

struct DisplayRecord {
    std::string DeviceName;
    bool HasMode = false;
    DWORD Width = 0;
    DWORD Height = 0;
    DWORD Refresh = 0;  // 0 or 1: the hardware's default rate
    UINT Dpi = 0;       // 0: unknown, where Windows would only give a virtualized figure
    bool Primary = false;
    DWORD PanelRefresh = 0;  // the highest rate offered at the current resolution
    // From the display configuration, where Windows has one for this display.
    bool HasConnection = false;
    UINT32 Connection = 0;  // DISPLAYCONFIG_VIDEO_OUTPUT_TECHNOLOGY
    bool HdrSupported = false;
    bool HdrOn = false;
    std::string MonitorName;
};

// What Direct3D makes of one adapter.
struct Direct3DRecord {
    bool Asked = false;                        // d3d11.dll was there to ask
    UINT FeatureLevel = 0;                     // D3D_FEATURE_LEVEL; 0: unknown
    bool Direct3D12 = false;                   // D3D12CreateDevice made a device on it
    UINT ShaderModel = 0;                      // D3D_SHADER_MODEL; 0: unknown
};

struct GraphicsAdapterRecord {
    UINT Index = 0;  // in DXGI's order
    LUID Luid = {};
    std::string Description;
    bool Software = false;
    UINT VendorId = 0;
    UINT DeviceId = 0;
    UINT SubSysId = 0;
    UINT Revision = 0;
    MemoryFigure DedicatedVideoMemory;
    MemoryFigure DedicatedSystemMemory;
    MemoryFigure SharedSystemMemory;
    bool HasDriverVersion = false;
    LARGE_INTEGER DriverVersion = {};
    // DXGI's first adapter for each preference (DXGI 1.6).
    bool HighPerformance = false;
    bool MinimumPower = false;
    Direct3DRecord Direct3D;
    std::vector<DisplayRecord> Displays;
    HRESULT OutputsFailure = S_OK;  // what ended the list of displays early
};

// One present device of the display class, whether DXGI lists it or not.
struct DisplayDeviceRecord {
    std::string Name;
    std::string DriverVersion;  // empty: unknown
    std::string DriverDate;     // YYYY-MM-DD; empty: unknown
    bool HasStatus = false;
    ULONG Status = 0;   // DN_*
    ULONG Problem = 0;  // CM_PROB_*
    bool BasicDriver = false;  // Windows' own display driver, no vendor's
};

// A yes or no that the platform may not give.
enum class TriState { Unknown, No, Yes };

// One product that Windows' Security Center knows.
struct SecurityProductRecord {
    std::string Name;
    DWORD State = 0;  // productState: the scanner in bits 12-15, the definitions in bits 4-7
};

// The 2015-2022 Visual C++ runtime of one architecture.
struct RuntimeRecord {
    bool Installed = false;
    std::string Version;  // empty: installed, version unknown
};

// What a game needs of Windows and the processor, or what stops it.
struct PrerequisitesRecord {
    bool HasCpuid = false;
    unsigned FeatureEcx = 0;        // CPUID 1
    unsigned ExtendedEbx = 0;       // CPUID 7
    unsigned long long SavedState = 0;  // XCR0: the registers Windows saves; 0 without OSXSAVE
    bool HasFirmware = false;       // GetFirmwareType is there to ask
    DWORD Firmware = 0;             // FIRMWARE_TYPE; FirmwareTypeUnknown when it failed
    TriState SecureBoot = TriState::Unknown;
    bool HasTpm = false;            // Tbsi_GetDeviceInfo is there to ask
    UINT32 TpmVersion = 0;          // TPM_VERSION_*; 0: none
    bool TpmKnown = false;
    bool HasCodeIntegrity = false;  // Windows has code integrity options to ask (Vista)
    bool CodeIntegrityKnown = false;
    ULONG CodeIntegrityOptions = 0;
    bool HasSecurityCenter = false;  // Security Center answered in time
    std::vector<SecurityProductRecord> SecurityProducts;
    RuntimeRecord RuntimeX86;
    bool HasRuntimeX64 = false;     // 64-bit Windows
    RuntimeRecord RuntimeX64;
    bool HasDotNet4 = false;
    bool HasDotNetRelease = false;
    DWORD DotNetRelease = 0;
    std::vector<bool> Extras;       // per DirectX9Extras(), present or not; empty: not looked for
    bool HasPowerPlan = false;      // PowerGetActiveScheme is there to ask
    std::string PowerPlan;          // its friendly name; empty: unknown
};

// One crash that Windows' error reporting logged.
struct CrashRecord {
    SYSTEMTIME Time = {};  // local
    std::string Program;
    std::string ProgramVersion;
    std::string Module;
    std::string ModuleVersion;
    std::string Exception;  // hex digits; empty where the entry has none (XP)
    std::string Offset;     // hex digits
};

// Everything the closing section is written from.
struct CurrentSystemRecord {
    WindowsRecord Windows;
    PrerequisitesRecord Prerequisites;
    bool HasDxgi = false;  // DXGI 1.1 was there to list the adapters
    std::vector<GraphicsAdapterRecord> Adapters;
    HRESULT AdaptersFailure = S_OK;  // what ended the list of adapters early
    std::vector<DisplayDeviceRecord> DisplayDevices;
    bool HasCrashLog = false;  // the log could be read at all
    std::vector<CrashRecord> Crashes;
};

// The closing section: today's Windows release, architecture and power, and
// every graphics adapter DXGI knows with its memory, driver and displays.
class TCurrentSystemInfo : public TBaseInfo {
public:
    explicit TCurrentSystemInfo(TCurrentSystemApi& api = Win32CurrentSystemApi(),
                                TRegistryApi& registry = Win32RegistryApi(),
                                TCpuidApi& cpuid = ProcessorCpuidApi());
    void Collect(const OsVersionRecord& version) override;

    // The version the program was told stands in where Windows has no truer one to ask.
    void ReadWindows(const OsVersionRecord& told);
    // False without DXGI 1.1.
    bool ReadAdapters();
    void ReadDisplayConfiguration();
    void ReadDisplayDevices();
    void ReadPrerequisites();
    // False where Security Center cannot be asked or does not answer in time.
    bool ReadSecurityCenter(std::vector<SecurityProductRecord>& products);
    // False where the log cannot be read at all.
    bool ReadCrashes();

private:
    struct AdapterCalls;
    void ReadVersion(const OsVersionRecord& told);
    void ReadArchitecture();
    void ReadCurrentVersionKey();
    void ReadAdapter(UINT index, IDXGIAdapter1& adapter, const AdapterCalls& calls);
    void ReadDirect3D(IDXGIAdapter1& adapter, const AdapterCalls& calls, Direct3DRecord& record);
    void ReadPreferences(IDXGIFactory1& factory);
    void ReadDisplays(IDXGIAdapter1& adapter, const AdapterCalls& calls, GraphicsAdapterRecord& record);
    // The highest rate the display offers at its current resolution.
    DWORD PanelRefresh(const WCHAR* device, const DisplayRecord& display);
    bool UnderWine();
    // 0 where the figure may be one Windows virtualized for a DPI-unaware thread.
    UINT SystemDpi(bool perMonitor);
    // The true size of a card's own memory where its driver keeps it.
    bool DriverMemorySize(const GraphicsAdapterRecord& record, ULONGLONG& bytes);
    void ReadProcessor();
    void ReadFirmware();
    void ReadTpm();
    void ReadCodeIntegrity();
    void ReadRuntimes();
    void ReadExtras();
    void ReadPowerPlan();
    // A log entry's time (seconds since 1970, UTC) on the player's clock.
    bool LocalTime(DWORD seconds, Kernel32::SystemTimeToTzSpecificLocalTime::Type toLocal, SYSTEMTIME& local);

    CurrentSystemRecord Record;
    bool SystemDpiRead = false;
    UINT CachedSystemDpi = 0;
    TCurrentSystemApi& Api;
    TRegistryApi& Registry;
    TCpuidApi& Cpuid;
};

// The section's elements, from the record alone.
void WriteCurrentSection(const CurrentSystemRecord& record, TSection& section);
// Its lines on what a game needs of Windows and the processor.
void WritePrerequisiteLines(const PrerequisitesRecord& record, const WindowsRecord& windows, TSection& section);

// Pure lookups for the section's texts.
std::string WindowsProductName(const WindowsRecord& windows);
// The product, its edition, and the compatibility mode envcheck runs in.
std::string WindowsLineText(const WindowsRecord& windows);
const char* MachineText(USHORT machine);
std::string RunsAsText(const WindowsRecord& windows);
std::string PowerText(const WindowsRecord& windows);
std::string MemoryText(const MemoryFigure& figure);
// A 32-bit process's figure that may be DXGI's cap rather than the size.
MemoryFigure DxgiMemory(SIZE_T bytes);
// The display adapters' class key, where each driver keeps its settings.
std::string DisplayClassKey();
// A text from another program on one report line: its control characters as '?'.
std::string OneLine(std::string text);
// A registry or device text in lower case, for names Windows compares whatever their case.
std::string LowerAscii(std::string text);
// "scale 125%", or "scale unknown" for 0.
std::string ScaleText(UINT dpi);
// Direct3D's own names: "12_1", "6.7".
std::string FeatureLevelText(UINT level);
std::string ShaderModelText(UINT model);
std::string Direct3DText(const Direct3DRecord& direct3D);
// How a display is connected: "HDMI", "internal", "other".
const char* ConnectionText(UINT32 technology);
std::string DisplayText(const DisplayRecord& display);
// "working", "disabled", "problem 43 (...)", or "unknown".
std::string DeviceStateText(const DisplayDeviceRecord& device);
std::string DisplayDeviceText(const DisplayDeviceRecord& device);
// "SSE3 SSSE3 ... AVX (off in Windows)", "none", or "unknown" without CPUID.
std::string ProcessorFeaturesText(const PrerequisitesRecord& record);
std::string FirmwareText(const PrerequisitesRecord& record);
std::string TpmText(const PrerequisitesRecord& record);
// "Name (on, up to date); ...", or "none".
std::string SecurityProductsText(const std::vector<SecurityProductRecord>& products);
std::string RuntimesText(const PrerequisitesRecord& record);
// Microsoft's name for a v4 release number: "4.8.1".
std::string DotNetText(const PrerequisitesRecord& record);
// The June 2010 DirectX files most older games load, in the order the report names them.
const std::vector<const char*>& DirectX9Extras();
std::string ExtrasText(const std::vector<bool>& present);
std::string PowerPlanText(const PrerequisitesRecord& record, const WindowsRecord& windows);
std::string CrashText(const CrashRecord& crash);
// Reads one crash from an Application Error entry's strings, as XP or as Vista and later lay them out.
bool CrashFromStrings(const std::vector<std::wstring>& strings, CrashRecord& crash);
// The driver's date as its key keeps it ("6-28-2023") in the report's form ("2023-06-28"); empty when it is not one.
std::string DriverDateText(const std::string& date);

#endif
