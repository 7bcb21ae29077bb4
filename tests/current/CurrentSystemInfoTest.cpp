#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "current/MachineRun.h"
#include "support/SectionText.h"

namespace {

const char* const CurrentVersion = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
const std::string DisplayClass = "SYSTEM\\CurrentControlSet\\Control\\Class\\{4d36e968-e325-11ce-bfc1-08002be10318}";
const ULONGLONG MiB = 1 << 20;
const ULONGLONG GiB = MiB << 10;

// The one place where the two builds differ: the fakes answer as Windows
// answers a program of this build. A 32-bit one runs under WOW64 on 64-bit
// Windows and is told DXGI's sizes of 4 GiB or more as 4 GiB - 1; a 64-bit
// one runs natively and is told them whole.
const bool Wide = sizeof(void*) == 8;
const std::string Own = Wide ? "x64" : "x86";
const std::string OnX64 = Wide ? "x64" : "x86 on x64 (WOW64)";
const std::string OnArm64 = Own + " on ARM64 (emulated)";
std::string Large(const std::string& size) { return Wide ? size : "4095 MB or more"; }

TFakeDisplay Display(const wchar_t* name, LONG left, DWORD width, DWORD height, DWORD refresh, UINT dpi)
{
    TFakeDisplay display;
    display.Name = name;
    display.Desktop = {left, 0, static_cast<LONG>(left + width), static_cast<LONG>(height)};
    display.Width = width;
    display.Height = height;
    display.Refresh = refresh;
    display.Dpi = dpi;
    display.Primary = left == 0;  // where Windows puts the primary display
    return display;
}

TFakeGpu Gpu(const wchar_t* description, UINT vendor, UINT device, UINT subsys, UINT revision, ULONGLONG video,
             ULONGLONG shared, LONGLONG driver)
{
    TFakeGpu gpu;
    gpu.Description = description;
    gpu.VendorId = vendor;
    gpu.DeviceId = device;
    gpu.SubSysId = subsys;
    gpu.Revision = revision;
    gpu.DedicatedVideoMemory = video;
    gpu.SharedSystemMemory = shared;
    gpu.DriverVersion = driver;
    return gpu;
}

LONGLONG Driver(WORD a, WORD b, WORD c, WORD d)
{
    return (static_cast<LONGLONG>(a) << 48) | (static_cast<LONGLONG>(b) << 32) | (static_cast<LONGLONG>(c) << 16) | d;
}

// Windows 10 or later on x64, and the release values its registry keeps, which agree with its version.
void Release(TFakeCurrentSystem& machine, TFakeSystem& registry, DWORD build, DWORD ubr, const char* edition,
             const char* displayVersion, BYTE productType = VER_NT_WORKSTATION)
{
    machine.SetVersion(10, 0, build, productType);
    machine.NativeMachine = IMAGE_FILE_MACHINE_AMD64;
    registry.SetString(CurrentVersion, "ProductName", "Windows 10 Pro");
    registry.SetDword(CurrentVersion, "CurrentMajorVersionNumber", 10);
    registry.SetDword(CurrentVersion, "CurrentMinorVersionNumber", 0);
    registry.SetString(CurrentVersion, "CurrentBuildNumber", std::to_string(build).c_str());
    registry.SetString(CurrentVersion, "EditionID", edition);
    registry.SetString(CurrentVersion, "DisplayVersion", displayVersion);
    registry.SetString(CurrentVersion, "ReleaseId", "2009");
    registry.SetDword(CurrentVersion, "UBR", ubr);
    // What a 32-bit view of the key shows instead.
    registry.Redirects = true;
    registry.SetString("SOFTWARE\\WOW6432Node\\Microsoft\\Windows NT\\CurrentVersion", "EditionID", "WOW64");
}

// Windows 11 24H2 on ARM64, and its GPU with the video memory a row gives it.
TFakeGpu Arm64(TFakeCurrentSystem& machine, TFakeSystem& registry, ULONGLONG video)
{
    Release(machine, registry, 26100, 2605, "Professional", "24H2");
    machine.NativeMachine = IMAGE_FILE_MACHINE_ARM64;
    return Gpu(L"Qualcomm(R) Adreno(TM) X1-85 GPU", 0x4D4F4351, 0x36334330, 0, 0, video, 3968 * MiB,
               Driver(31, 0, 101, 5333));
}

// The section's first lines: Windows, the two machines and the power; without a release both machines are
// this build's own.
std::string Head(const std::string& windows, const std::string& architecture = Own, const std::string& runsAs = Own,
                 const std::string& power = "AC")
{
    return "Current system information:\n Windows: " + windows + "\n Windows architecture: " + architecture +
           "\n envcheck runs as: " + runsAs + "\n Power: " + power + "\n";
}

// With a release: its version and build after Windows' name; most machines are x64.
std::string ReleaseHead(const std::string& windows, const std::string& version, const std::string& build,
                        const std::string& architecture = "x64", const std::string& runsAs = OnX64,
                        const std::string& power = "AC")
{
    return Head(windows + "\n Version: " + version + "\n Build: " + build, architecture, runsAs, power);
}

// The machine's next present display device, its driver's key numbered after those before it with the driver's
// values where a row gives them, and its problem if any.
TFakeDisplayDevice& Device(TFakeCurrentSystem& machine, TFakeSystem& registry, const wchar_t* name,
                           const char* version = nullptr, const char* date = nullptr, ULONG problem = 0)
{
    const std::string key = "000" + std::to_string(machine.Devices.size());
    if (version != nullptr) {
        registry.SetString(DisplayClass + "\\" + key, "DriverVersion", version);
        registry.SetString(DisplayClass + "\\" + key, "DriverDate", date);
    }
    machine.Devices.emplace_back();
    TFakeDisplayDevice& device = machine.Devices.back();
    device.Name = name;
    device.Driver = L"{4d36e968-e325-11ce-bfc1-08002be10318}\\" + std::wstring(key.begin(), key.end());
    if (problem != 0) device.Status = DN_HAS_PROBLEM;
    device.Problem = problem;
    return device;
}

const TMachineRow Machines[] = {
    {"Windows 11 23H2 laptop on battery: integrated, discrete without display, software",
     [](TFakeCurrentSystem& machine, TFakeSystem& registry) {
         Release(machine, registry, 22631, 4460, "Professional", "23H2");
         machine.Power = {0, 1, 57, 0, 12000, 0xFFFFFFFF};
         TFakeGpu intel = Gpu(L"Intel(R) UHD Graphics 620", 0x8086, 0x5917, 0x07A81028, 7, 128 * MiB, 8 * GiB,
                              Driver(31, 0, 101, 2111));
         intel.Displays.push_back(Display(L"\\\\.\\DISPLAY1", 0, 1920, 1080, 60, 120));
         machine.Gpus.push_back(intel);
         // 8 GiB, of which a 32-bit process is told the cap; the driver key knows.
         machine.Gpus.push_back(Gpu(L"NVIDIA GeForce RTX 3070 Laptop GPU", 0x10DE, 0x249D, 0x0A6C1028, 161, 8 * GiB,
                                    8 * GiB, Driver(31, 0, 15, 3623)));
         registry.Keys[DisplayClass];
         registry.SetString(DisplayClass + "\\0000", "MatchingDeviceId", "pci\\ven_8086&dev_5917");
         registry.SetString(DisplayClass + "\\0001", "MatchingDeviceId", "PCI\\VEN_10DE&DEV_249D&SUBSYS_0A6C1028");
         registry.SetQword(DisplayClass + "\\0001", "HardwareInformation.qwMemorySize", 8ULL << 30);
         registry.Keys[DisplayClass + "\\Properties"];
         registry.Unopenable.insert(DisplayClass + "\\Properties");
         TFakeGpu software = Gpu(L"Microsoft Basic Render Driver", 0x1414, 0x8C, 0, 0, 0, 8 * GiB, 0);
         software.Flags = DXGI_ADAPTER_FLAG_SOFTWARE;
         machine.Gpus.push_back(software);
     },
     ReleaseHead("Windows 11 Professional", "23H2", "10.0.22631.4460", "x64", OnX64, "battery 57%") +
     "\n"
     "Graphics adapter 0: Intel(R) UHD Graphics 620\n"
     " VendorId: 0x8086  DeviceId: 0x5917  SubSysId: 0x07A81028  Revision: 7\n"
     " Dedicated video memory: 128 MB\n"
     " Dedicated system memory: 0 MB\n"
     " Shared system memory: " + Large("8192 MB") + "\n"
     " Driver version: 31.0.101.2111\n"
     " Display: \\\\.\\DISPLAY1 1920 x 1080 60 Hz, scale 125%, primary\n"
     "Graphics adapter 1: NVIDIA GeForce RTX 3070 Laptop GPU\n"
     " VendorId: 0x10DE  DeviceId: 0x249D  SubSysId: 0x0A6C1028  Revision: 161\n"
     " Dedicated video memory: 8192 MB\n"
     " Dedicated system memory: 0 MB\n"
     " Shared system memory: " + Large("8192 MB") + "\n"
     " Driver version: 31.0.15.3623\n"
     "Graphics adapter 2: Microsoft Basic Render Driver (software)\n"
     " VendorId: 0x1414  DeviceId: 0x008C  SubSysId: 0x00000000  Revision: 0\n"
     " Dedicated video memory: 0 MB\n"
     " Dedicated system memory: 0 MB\n"
     " Shared system memory: " + Large("8192 MB") + "\n"
     "\n"},
    {"Windows 10 22H2 before IsWow64Process2 and GetDpiForMonitor; an 8 GiB card nothing else knows",
     [](TFakeCurrentSystem& machine, TFakeSystem& registry) {
         Release(machine, registry, 19045, 3803, "Core", "22H2");
         machine.MissingFunctions.insert("IsWow64Process2");
         machine.MissingLibraries.insert("shcore.dll");
         machine.SystemDpi = 144;
         machine.Power.ACLineStatus = 255;
         TFakeGpu card = Gpu(L"NVIDIA GeForce RTX 3060 Ti", 0x10DE, 0x2489, 0x88161043, 161, 8 * GiB, 4072 * MiB,
                             Driver(32, 0, 15, 6094));
         card.Displays.push_back(Display(L"\\\\.\\DISPLAY1", 0, 2560, 1440, 144, 96));
         card.Displays.push_back(Display(L"\\\\.\\DISPLAY2", 2560, 1920, 1080, 60, 96));
         card.Displays.back().HasMode = false;
         machine.Gpus.push_back(card);
     },
     ReleaseHead("Windows 10 Core", "22H2", "10.0.19045.3803", "x64", OnX64, "unknown") +
     "\n"
     "Graphics adapter 0: NVIDIA GeForce RTX 3060 Ti\n"
     " VendorId: 0x10DE  DeviceId: 0x2489  SubSysId: 0x88161043  Revision: 161\n"
     " Dedicated video memory: " + Large("8192 MB") + "\n"
     " Dedicated system memory: 0 MB\n"
     " Shared system memory: 4072 MB\n"
     " Driver version: 32.0.15.6094\n"
     " Display: \\\\.\\DISPLAY1 2560 x 1440 144 Hz, scale 150%, primary\n"
     " Display: \\\\.\\DISPLAY2, scale 150%\n"
     "\n"},
    {"Windows 11 on ARM64 running this build's program emulated",
     [](TFakeCurrentSystem& machine, TFakeSystem& registry) {
         TFakeGpu adreno = Arm64(machine, registry, 0);
         adreno.Displays.push_back(Display(L"\\\\.\\DISPLAY1", 0, 2944, 1840, 120, 0));
         machine.Gpus.push_back(adreno);
         machine.SystemDpi = 96;
     },
     ReleaseHead("Windows 11 Professional", "24H2", "10.0.26100.2605", "ARM64", OnArm64) +
     "\n"
     "Graphics adapter 0: Qualcomm(R) Adreno(TM) X1-85 GPU\n"
     " VendorId: 0x4D4F4351  DeviceId: 0x36334330  SubSysId: 0x00000000  Revision: 0\n"
     " Dedicated video memory: 0 MB\n"
     " Dedicated system memory: 0 MB\n"
     " Shared system memory: 3968 MB\n"
     " Driver version: 31.0.101.5333\n"
     " Display: \\\\.\\DISPLAY1 2944 x 1840 120 Hz, scale 100%, primary\n"
     "\n"},
    {"The x64 program on Windows 11 ARM64, whose GPU's ACPI ids match no PCI driver key",
     [](TFakeCurrentSystem& machine, TFakeSystem& registry) {
         machine.Gpus.push_back(Arm64(machine, registry, 4 * GiB));
         machine.ProgramMachine = IMAGE_FILE_MACHINE_AMD64;
         // A card whose PCI ids are the ACPI ids' low halves.
         registry.Keys[DisplayClass];
         registry.SetString(DisplayClass + "\\0000", "MatchingDeviceId", "PCI\\VEN_4351&DEV_4330");
         registry.SetQword(DisplayClass + "\\0000", "HardwareInformation.qwMemorySize", 8ULL << 30);
     },
     ReleaseHead("Windows 11 Professional", "24H2", "10.0.26100.2605", "ARM64", "x64 on ARM64 (emulated)") +
     "\n"
     "Graphics adapter 0: Qualcomm(R) Adreno(TM) X1-85 GPU\n"
     " VendorId: 0x4D4F4351  DeviceId: 0x36334330  SubSysId: 0x00000000  Revision: 0\n"
     " Dedicated video memory: " + Large("4096 MB") + "\n"
     " Dedicated system memory: 0 MB\n"
     " Shared system memory: 3968 MB\n"
     " Driver version: 31.0.101.5333\n"
     "\n"},
    {"Windows 11 Enterprise multi-session, whose product type is a server's",
     [](TFakeCurrentSystem& machine, TFakeSystem& registry) {
         Release(machine, registry, 22631, 4460, "ServerRdsh", "23H2", VER_NT_SERVER);
     },
     ReleaseHead("Windows 11 ServerRdsh", "23H2", "10.0.22631.4460") +
     "\n"},
    {"Windows Server 23H2, a build no long-term release has",
     [](TFakeCurrentSystem& machine, TFakeSystem& registry) {
         Release(machine, registry, 25398, 1251, "ServerDatacenter", "23H2", VER_NT_SERVER);
     },
     ReleaseHead("Windows Server (build 25398) ServerDatacenter", "23H2", "10.0.25398.1251") +
     "\n"},
    {"Windows 11 23H2 telling the program 6.1.7601: a compatibility mode for Windows 7",
     [](TFakeCurrentSystem& machine, TFakeSystem& registry) {
         Release(machine, registry, 22631, 4460, "Professional", "23H2");
         machine.SetVersion(6, 1, 7601);
     },
     ReleaseHead("Windows 11 Professional (envcheck runs in compatibility mode for Windows 7)", "23H2",
                 "10.0.22631.4460") +
     "\n"},
    {"Windows 10 1511 at 150%: GetDpiForMonitor, but no per-monitor aware thread",
     [](TFakeCurrentSystem& machine, TFakeSystem& registry) {
         Release(machine, registry, 10586, 1176, "Core", "1511");
         machine.MissingFunctions.insert({"IsWow64Process2", "SetThreadDpiAwarenessContext"});
         machine.SystemDpi = 96;  // virtualized for the DPI-unaware thread
         TFakeGpu intel = Gpu(L"Intel(R) HD Graphics 520", 0x8086, 0x1916, 0, 7, 128 * MiB, 4 * GiB,
                              Driver(20, 19, 15, 4352));
         intel.Displays.push_back(Display(L"\\\\.\\DISPLAY1", 0, 1920, 1080, 60, 144));
         machine.Gpus.push_back(intel);
     },
     ReleaseHead("Windows 10 Core", "1511", "10.0.10586.1176") +
     "\n"
     "Graphics adapter 0: Intel(R) HD Graphics 520\n"
     " VendorId: 0x8086  DeviceId: 0x1916  SubSysId: 0x00000000  Revision: 7\n"
     " Dedicated video memory: 128 MB\n"
     " Dedicated system memory: 0 MB\n"
     " Shared system memory: " + Large("4096 MB") + "\n"
     " Driver version: 20.19.15.4352\n"
     " Display: \\\\.\\DISPLAY1 1920 x 1080 60 Hz, scale unknown, primary\n"
     "\n"},
    {"A clone: two outputs at the desktop's origin, the second primary, at the hardware's default rates",
     [](TFakeCurrentSystem& machine, TFakeSystem&) {
         TFakeGpu card = Gpu(L"AMD Radeon RX 6600", 0x1002, 0x73FF, 0, 199, 8 * GiB, 0, Driver(31, 0, 21910, 5));
         card.Displays.push_back(Display(L"\\\\.\\DISPLAY1", 0, 1920, 1080, 0, 96));
         card.Displays.push_back(Display(L"\\\\.\\DISPLAY2", 0, 1920, 1080, 1, 96));
         card.Displays.front().Primary = false;
         machine.Gpus.push_back(card);
     },
     Head("Windows 10") +
     "\n"
     "Graphics adapter 0: AMD Radeon RX 6600\n"
     " VendorId: 0x1002  DeviceId: 0x73FF  SubSysId: 0x00000000  Revision: 199\n"
     " Dedicated video memory: " + Large("8192 MB") + "\n"
     " Dedicated system memory: 0 MB\n"
     " Shared system memory: 0 MB\n"
     " Driver version: 31.0.21910.5\n"
     " Display: \\\\.\\DISPLAY1 1920 x 1080, scale 100%\n"
     " Display: \\\\.\\DISPLAY2 1920 x 1080, scale 100%, primary\n"
     "\n"},
    {"Enumerations that end in an error, not DXGI_ERROR_NOT_FOUND",
     [](TFakeCurrentSystem& machine, TFakeSystem&) {
         TFakeGpu card = Gpu(L"NVIDIA GeForce GTX 1060 6GB", 0x10DE, 0x1C03, 0, 161, 6 * GiB, 0, 0);
         card.Displays.push_back(Display(L"\\\\.\\DISPLAY1", 0, 1920, 1080, 60, 96));
         card.OutputsEnd = DXGI_ERROR_DEVICE_REMOVED;
         machine.Gpus.push_back(card);
         machine.AdaptersEnd = E_OUTOFMEMORY;
     },
     Head("Windows 10") +
     "\n"
     "Graphics adapter 0: NVIDIA GeForce GTX 1060 6GB\n"
     " VendorId: 0x10DE  DeviceId: 0x1C03  SubSysId: 0x00000000  Revision: 161\n"
     " Dedicated video memory: " + Large("6144 MB") + "\n"
     " Dedicated system memory: 0 MB\n"
     " Shared system memory: 0 MB\n"
     " Display: \\\\.\\DISPLAY1 1920 x 1080 60 Hz, scale 100%, primary\n"
     " ディスプレイの列挙に失敗しました。(HRESULT 0x887A0005)\n"
     "グラフィックアダプタの列挙に失敗しました。(HRESULT 0x8007000E)\n"
     "\n"},
    {"Windows 7 SP1 of this build's machine: no release, no UBR, no per-monitor DPI",
     [](TFakeCurrentSystem& machine, TFakeSystem& registry) {
         machine.SetVersion(6, 1, 7601);
         machine.MissingFunctions.insert({"IsWow64Process2", "SetThreadDpiAwarenessContext"});
         machine.MissingLibraries.insert("shcore.dll");
         machine.SystemDpi = 120;
         registry.SetString(CurrentVersion, "ProductName", "Windows 7 Ultimate");
         registry.SetString(CurrentVersion, "EditionID", "Ultimate");
         registry.SetString(CurrentVersion, "CSDVersion", "Service Pack 1");
         registry.SetString(CurrentVersion, "CurrentBuildNumber", "7601");
         TFakeGpu radeon = Gpu(L"ATI Radeon HD 5450", 0x1002, 0x68F9, 0x3000174B, 0, 1010 * MiB, 1791 * MiB,
                               Driver(8, 17, 10, 1129));
         radeon.Displays.push_back(Display(L"\\\\.\\DISPLAY1", 0, 1280, 1024, 75, 96));
         machine.Gpus.push_back(radeon);
     },
     Head("Windows 7 Ultimate") +
     "\n"
     "Graphics adapter 0: ATI Radeon HD 5450\n"
     " VendorId: 0x1002  DeviceId: 0x68F9  SubSysId: 0x3000174B  Revision: 0\n"
     " Dedicated video memory: 1010 MB\n"
     " Dedicated system memory: 0 MB\n"
     " Shared system memory: 1791 MB\n"
     " Driver version: 8.17.10.1129\n"
     " Display: \\\\.\\DISPLAY1 1280 x 1024 75 Hz, scale 125%, primary\n"
     "\n"},
    {"Windows 2000: no RtlGetVersion, no WOW64, no DXGI; setupapi lists its card",
     [](TFakeCurrentSystem& machine, TFakeSystem& registry) {
         machine.Graphics();
         machine.MissingFunctions.insert({"RtlGetVersion", "IsWow64Process2", "IsWow64Process", "wine_get_version",
                                          "SetThreadDpiAwarenessContext", "GetDisplayConfigBufferSizes",
                                          "QueryDisplayConfig", "DisplayConfigGetDeviceInfo"});
         machine.MissingLibraries.insert({"shcore.dll", "dxgi.dll", "d3d11.dll", "d3d12.dll"});
         registry.SetString(CurrentVersion, "CurrentBuildNumber", "2195");
         Device(machine, registry, L"NVIDIA GeForce4 MX 440", "6.14.10.4523", "6-11-2003");
     },
     Head("Windows 2000") +
     " DXGI\x82\xaa\x97\x98\x97\x70\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\x81\x42\n"
     "\n"
     "Display devices:\n"
     " NVIDIA GeForce4 MX 440: driver 6.14.10.4523 of 2003-06-11, working\n"
     "\n",
     WindowsVersion(VER_PLATFORM_WIN32_NT, 5, 0, 2195)},
    {"A hybrid laptop: the discrete GPU is the high-performance one and drives no display",
     [](TFakeCurrentSystem& machine, TFakeSystem& registry) {
         Release(machine, registry, 22631, 4460, "Professional", "23H2");
         machine.Graphics();
         TFakeGpu intel = Gpu(L"Intel(R) UHD Graphics 620", 0x8086, 0x5917, 0x07A81028, 7, 128 * MiB, 8 * GiB,
                              Driver(31, 0, 101, 2111));
         intel.FeatureLevel = D3D_FEATURE_LEVEL_12_1;
         intel.ShaderModel = 0x66;
         TFakeDisplay panel = Display(L"\\\\.\\DISPLAY1", 0, 1920, 1080, 60, 120);
         panel.Rates = {48, 144, 60};
         panel.Connection = DISPLAYCONFIG_OUTPUT_TECHNOLOGY_DISPLAYPORT_EMBEDDED;
         panel.Hdr = 0;
         intel.Displays.push_back(panel);
         TFakeGpu nvidia = Gpu(L"NVIDIA GeForce RTX 3070 Laptop GPU", 0x10DE, 0x249D, 0x0A6C1028, 161, 8 * GiB,
                               8 * GiB, Driver(31, 0, 15, 3623));
         nvidia.FeatureLevel = 0xc200;
         nvidia.ShaderModel = 0x67;
         machine.Gpus = {intel, nvidia};
         machine.HighPerformance = 1;
         machine.MinimumPower = 0;
         Device(machine, registry, L"Intel(R) UHD Graphics 620", "31.0.101.2111", "11-9-2022");
         Device(machine, registry, L"NVIDIA GeForce RTX 3070 Laptop GPU", "31.0.15.3623", "6-28-2023");
     },
     ReleaseHead("Windows 11 Professional", "23H2", "10.0.22631.4460") +
     "\n"
     "Graphics adapter 0: Intel(R) UHD Graphics 620\n"
     " Preference: minimum power\n"
     " Direct3D: feature level 12_1, Direct3D 12 shader model 6.6\n"
     " VendorId: 0x8086  DeviceId: 0x5917  SubSysId: 0x07A81028  Revision: 7\n"
     " Dedicated video memory: 128 MB\n"
     " Dedicated system memory: 0 MB\n"
     " Shared system memory: " + Large("8192 MB") + "\n"
     " Driver version: 31.0.101.2111\n"
     " Display: \\\\.\\DISPLAY1 1920 x 1080 60 Hz (panel up to 144 Hz), scale 125%, primary, HDR off, internal\n"
     "Graphics adapter 1: NVIDIA GeForce RTX 3070 Laptop GPU\n"
     " Preference: high performance\n"
     " Direct3D: feature level 12_2, Direct3D 12 shader model 6.7\n"
     " VendorId: 0x10DE  DeviceId: 0x249D  SubSysId: 0x0A6C1028  Revision: 161\n"
     " Dedicated video memory: " + Large("8192 MB") + "\n"
     " Dedicated system memory: 0 MB\n"
     " Shared system memory: " + Large("8192 MB") + "\n"
     " Driver version: 31.0.15.3623\n"
     "Display devices:\n"
     " Intel(R) UHD Graphics 620: driver 31.0.101.2111 of 2022-11-09, working\n"
     " NVIDIA GeForce RTX 3070 Laptop GPU: driver 31.0.15.3623 of 2023-06-28, working\n"
     "\n"},
    {"A desktop's 144 Hz panel left at 60 Hz, HDR on over DisplayPort; runtimes older than the card",
     [](TFakeCurrentSystem& machine, TFakeSystem& registry) {
         machine.Graphics();
         machine.SetVersion(10, 0, 18363);
         TFakeGpu card = Gpu(L"NVIDIA GeForce RTX 3060 Ti", 0x10DE, 0x2489, 0x88161043, 161, 2 * GiB, 0,
                             Driver(32, 0, 15, 6094));
         card.FeatureLevel = 0xc200;
         card.ShaderModel = 0x67;
         TFakeDisplay monitor = Display(L"\\\\.\\DISPLAY1", 0, 2560, 1440, 60, 96);
         monitor.Rates = {60, 120, 144};
         monitor.Connection = DISPLAYCONFIG_OUTPUT_TECHNOLOGY_DISPLAYPORT_EXTERNAL;
         monitor.MonitorName = L"LG ULTRAGEAR";
         monitor.Hdr = 1;
         card.Displays.push_back(monitor);
         machine.Gpus = {card};
         machine.HighPerformance = machine.MinimumPower = 0;
         // 1909 knows neither 12_2 nor shader models past 6.5.
         machine.NewestFeatureLevel = D3D_FEATURE_LEVEL_12_1;
         machine.NewestShaderModel = 0x65;
         Device(machine, registry, L"NVIDIA GeForce RTX 3060 Ti", "32.0.15.6094", "8-14-2024");
     },
     Head("Windows 10") +
     "\n"
     "Graphics adapter 0: NVIDIA GeForce RTX 3060 Ti\n"
     " Preference: high performance, minimum power\n"
     " Direct3D: feature level 12_1, Direct3D 12 shader model 6.5\n"
     " VendorId: 0x10DE  DeviceId: 0x2489  SubSysId: 0x88161043  Revision: 161\n"
     " Dedicated video memory: 2048 MB\n"
     " Dedicated system memory: 0 MB\n"
     " Shared system memory: 0 MB\n"
     " Driver version: 32.0.15.6094\n"
     " Display: \\\\.\\DISPLAY1 2560 x 1440 60 Hz (panel up to 144 Hz), scale 100%, primary, HDR on, DisplayPort, \"LG ULTRAGEAR\"\n"
     "Display devices:\n"
     " NVIDIA GeForce RTX 3060 Ti: driver 32.0.15.6094 of 2024-08-14, working\n"
     "\n"},
    {"A remote session; a GPU with problem 43 and a disabled one that DXGI does not list, and other states",
     [](TFakeCurrentSystem& machine, TFakeSystem& registry) {
         machine.Graphics();
         machine.RemoteSession = true;
         TFakeGpu intel = Gpu(L"Intel(R) UHD Graphics 630", 0x8086, 0x3E92, 0, 0, 128 * MiB, 0, 0);
         TFakeGpu software = Gpu(L"Microsoft Basic Render Driver", 0x1414, 0x8C, 0, 0, 0, 0, 0);
         software.Flags = DXGI_ADAPTER_FLAG_SOFTWARE;
         software.FeatureLevel = D3D_FEATURE_LEVEL_12_1;
         machine.Gpus = {intel, software};
         Device(machine, registry, L"NVIDIA GeForce GTX 1650", "31.0.15.3623", "6-28-2023", 43);
         Device(machine, registry, L"AMD Radeon RX 580", "31.0.15.5222", "not a date", 22);
         Device(machine, registry, L"Intel(R) UHD Graphics 630", nullptr, nullptr, 28).Driver.clear();
         Device(machine, registry, L"Microsoft Basic Display Adapter", "10.0.22621.1", "6-21-2006").Service =
             L"BasicDisplay";
         Device(machine, registry, L"Odd Adapter", nullptr, nullptr, 99).FriendlyName = L"Odd Adapter (friendly)";
         Device(machine, registry, L"Silent Adapter").StatusFails = true;
     },
     Head("Windows 10") +
     " Remote session: yes\n"
     "\n"
     "Graphics adapter 0: Intel(R) UHD Graphics 630\n"
     " Direct3D: feature level unknown\n"
     " VendorId: 0x8086  DeviceId: 0x3E92  SubSysId: 0x00000000  Revision: 0\n"
     " Dedicated video memory: 128 MB\n"
     " Dedicated system memory: 0 MB\n"
     " Shared system memory: 0 MB\n"
     "Graphics adapter 1: Microsoft Basic Render Driver (software)\n"
     " Direct3D: feature level 12_1\n"
     " VendorId: 0x1414  DeviceId: 0x008C  SubSysId: 0x00000000  Revision: 0\n"
     " Dedicated video memory: 0 MB\n"
     " Dedicated system memory: 0 MB\n"
     " Shared system memory: 0 MB\n"
     "Display devices:\n"
     " NVIDIA GeForce GTX 1650: driver 31.0.15.3623 of 2023-06-28, problem 43 (Windows stopped this device "
     "because it reported problems)\n"
     " AMD Radeon RX 580: driver 31.0.15.5222, disabled\n"
     " Intel(R) UHD Graphics 630: driver unknown, problem 28 (no driver is installed)\n"
     " Microsoft Basic Display Adapter: driver 10.0.22621.1 of 2006-06-21, working (no vendor driver)\n"
     " Odd Adapter (friendly): driver unknown, problem 99\n"
     " Silent Adapter: driver unknown, unknown\n"
     "\n"},
    {"Windows 8.1: no DXGI 1.6, no d3d11.dll, setupapi without its functions",
     [](TFakeCurrentSystem& machine, TFakeSystem& registry) {
         machine.Graphics();
         machine.SetVersion(6, 3, 9600);
         machine.Dxgi16 = false;
         machine.MissingLibraries.insert("d3d11.dll");
         machine.MissingFunctions.insert("SetupDiGetClassDevsW");
         machine.Gpus = {Gpu(L"AMD Radeon R7 200 Series", 0x1002, 0x6613, 0, 0, 2 * GiB, 0, 0)};
         machine.Gpus[0].ShaderModel = 0x60;
         Device(machine, registry, L"AMD Radeon R7 200 Series");
     },
     Head("Windows 8.1") +
     "\n"
     "Graphics adapter 0: AMD Radeon R7 200 Series\n"
     " Direct3D: feature level unknown, Direct3D 12 shader model 6.0\n"
     " VendorId: 0x1002  DeviceId: 0x6613  SubSysId: 0x00000000  Revision: 0\n"
     " Dedicated video memory: 2048 MB\n"
     " Dedicated system memory: 0 MB\n"
     " Shared system memory: 0 MB\n"
     "\n"},
    {"Wine: Direct3D 12 never asked; a display plugged in between the configuration's calls, at 59 Hz of 60, "
     "with a faster interlaced mode and wide colour that is not HDR",
     [](TFakeCurrentSystem& machine, TFakeSystem&) {
         machine.Graphics();
         machine.MissingFunctions.erase("wine_get_version");
         machine.PathsAdded = 1;
         TFakeGpu card = Gpu(L"NVIDIA GeForce GTX 470", 0x10DE, 0x06CD, 0, 0, 1280 * MiB, 0, 0);
         card.FeatureLevel = D3D_FEATURE_LEVEL_11_1;
         card.ShaderModel = 0x60;
         TFakeDisplay display = Display(L"\\\\.\\DISPLAY1", 0, 1280, 1024, 59, 96);
         display.Rates = {59, 60};
         display.Interlaced = 120;
         display.WideColor = true;
         display.Connection = DISPLAYCONFIG_OUTPUT_TECHNOLOGY_OTHER;
         display.MonitorName = L"Display1";
         card.Displays.push_back(display);
         machine.Gpus = {card};
     },
     Head("Windows 10") +
     "\n"
     "Graphics adapter 0: NVIDIA GeForce GTX 470\n"
     " Direct3D: feature level 11_1\n"
     " VendorId: 0x10DE  DeviceId: 0x06CD  SubSysId: 0x00000000  Revision: 0\n"
     " Dedicated video memory: 1280 MB\n"
     " Dedicated system memory: 0 MB\n"
     " Shared system memory: 0 MB\n"
     " Display: \\\\.\\DISPLAY1 1280 x 1024 59 Hz, scale 100%, primary, other, \"Display1\"\n"
     "\n"},
};

}  // namespace

// Each machine's whole section, and every reference, library, key and DC given back.
TEST(CurrentSystemInfoTest, MachinesGiveTheirExactSection)
{
    for (const TMachineRow& row : Machines) {
        SCOPED_TRACE(row.Name);
        TMachineRun run(row);
        // But for the lines every machine has that these rows are not about (PrerequisitesTest's).
        EXPECT_EQ(row.Expected, SectionText(run.Info, {" Processor features: ", " Visual C++ runtime: ",
                                                       " .NET Framework: ", " DirectX 9 extras: "}, false));
    }
}

// Texts that fill DXGI's fields without a terminator, and lists that never end.
TEST(CurrentSystemInfoTest, HostileShapesStayInsideTheirBounds)
{
    TFakeCurrentSystem machine;
    TFakeSystem registry;
    TFakeGpu gpu = Gpu(std::wstring(200, L'D').c_str(), 1, 2, 3, 4, 0, 0, 0);
    TFakeDisplay display = Display(std::wstring(40, L'N').c_str(), 5, 640, 480, 60, 96);
    gpu.Displays.assign(100, display);
    machine.Gpus.assign(100, gpu);
    TCurrentSystemInfo info(machine, registry, registry);
    info.Collect(OsVersionRecord());
    size_t adapters = 0;
    size_t displays = 0;
    for (const std::string& line : info.GetLines()) {
        if (line.compare(0, 17, "Graphics adapter ") == 0) {
            ++adapters;
            EXPECT_EQ(std::string(128, 'D') + "\n", line.substr(line.find(": ") + 2));
        }
        if (line.compare(0, 10, " Display: ") == 0) {
            ++displays;
            EXPECT_EQ(" Display: " + std::string(32, 'N') + " 640 x 480 60 Hz, scale 100%\n", line);
        }
    }
    EXPECT_EQ(64u, adapters);
    EXPECT_EQ(64u * 64u, displays);
    CheckBooks(machine, registry);
}
