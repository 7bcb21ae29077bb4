#ifndef ENVCHECK_INFO_CURRENT_CURRENTSYSTEMINFO_H
#define ENVCHECK_INFO_CURRENT_CURRENTSYSTEMINFO_H

#include <windows.h>
#include <dxgi.h>

#include <string>
#include <vector>

#include "info/BaseInfo.h"
#include "info/RegistryApi.h"
#include "info/current/CurrentFunctions.h"
#include "info/current/CurrentSystemApi.h"

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
};

struct GraphicsAdapterRecord {
    UINT Index = 0;  // in DXGI's order
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
    std::vector<DisplayRecord> Displays;
    HRESULT OutputsFailure = S_OK;  // what ended the list of displays early
};

// The closing section: today's Windows release, architecture and power, and
// every graphics adapter DXGI knows with its memory, driver and displays.
class TCurrentSystemInfo : public TBaseInfo {
public:
    explicit TCurrentSystemInfo(TCurrentSystemApi& api = Win32CurrentSystemApi(),
                                TRegistryApi& registry = Win32RegistryApi());
    void Collect() override;

    void ReadWindows();
    // False without DXGI 1.1.
    bool ReadAdapters();
    void WriteSection(bool dxgi);

private:
    void ReadVersion();
    void ReadArchitecture();
    void ReadCurrentVersionKey();
    void ReadAdapter(UINT index, IDXGIAdapter1& adapter, Shcore::GetDpiForMonitor::Type getDpi, bool perMonitor);
    void ReadDisplays(IDXGIAdapter1& adapter, Shcore::GetDpiForMonitor::Type getDpi, bool perMonitor,
                      GraphicsAdapterRecord& record);
    // 0 where the figure may be one Windows virtualized for a DPI-unaware thread.
    UINT SystemDpi(bool perMonitor);
    // The true size of a card's own memory where its driver keeps it.
    bool DriverMemorySize(const GraphicsAdapterRecord& record, ULONGLONG& bytes);
    void WriteAdapter(const GraphicsAdapterRecord& record);

    WindowsRecord Windows;
    std::vector<GraphicsAdapterRecord> Adapters;
    HRESULT AdaptersFailure = S_OK;  // what ended the list of adapters early
    bool SystemDpiRead = false;
    UINT CachedSystemDpi = 0;
    TCurrentSystemApi& Api;
    TRegistryApi& Registry;
};

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
// "scale 125%", or "scale unknown" for 0.
std::string ScaleText(UINT dpi);

#endif
