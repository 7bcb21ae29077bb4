#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <functional>
#include <string>

#include "fakes/current/FakeCurrentSystem.h"
#include "fakes/system/FakeSystem.h"
#include "info/current/CurrentSystemInfo.h"
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

// The release values of Windows 10 and later, whose version agrees with the machine's.
void Release(const TFakeCurrentSystem& machine, TFakeSystem& registry, const char* edition,
             const char* displayVersion, DWORD ubr)
{
    registry.SetString(CurrentVersion, "ProductName", "Windows 10 Pro");
    registry.SetDword(CurrentVersion, "CurrentMajorVersionNumber", machine.Version.dwMajorVersion);
    registry.SetDword(CurrentVersion, "CurrentMinorVersionNumber", machine.Version.dwMinorVersion);
    registry.SetString(CurrentVersion, "CurrentBuildNumber", std::to_string(machine.Version.dwBuildNumber).c_str());
    registry.SetString(CurrentVersion, "EditionID", edition);
    registry.SetString(CurrentVersion, "DisplayVersion", displayVersion);
    registry.SetString(CurrentVersion, "ReleaseId", "2009");
    registry.SetDword(CurrentVersion, "UBR", ubr);
    // What a 32-bit view of the key shows instead.
    registry.Redirects = true;
    registry.SetString("SOFTWARE\\WOW6432Node\\Microsoft\\Windows NT\\CurrentVersion", "EditionID", "WOW64");
}

TFakeDisplayDevice Device(const wchar_t* name, const wchar_t* key, ULONG status = DN_DRIVER_LOADED | DN_STARTED,
                          ULONG problem = 0)
{
    TFakeDisplayDevice device;
    device.Name = name;
    device.Driver = std::wstring(L"{4d36e968-e325-11ce-bfc1-08002be10318}\\") + key;
    device.Status = status;
    device.Problem = problem;
    return device;
}

void DriverKey(TFakeSystem& registry, const char* key, const char* version, const char* date)
{
    registry.SetString(DisplayClass + "\\" + key, "DriverVersion", version);
    registry.SetString(DisplayClass + "\\" + key, "DriverDate", date);
}

struct TMachineCase {
    const char* Name;
    std::function<void(TFakeCurrentSystem&, TFakeSystem&)> Build;
    std::string Section;
    OsVersionRecord Told = {};  // what GetVersionExA told the run
};

const TMachineCase Machines[] = {
    {"Windows 11 23H2 laptop on battery: integrated, discrete without display, software",
     [](TFakeCurrentSystem& machine, TFakeSystem& registry) {
         machine.SetVersion(10, 0, 22631);
         machine.NativeMachine = IMAGE_FILE_MACHINE_AMD64;
         machine.Power = {0, 1, 57, 0, 12000, 0xFFFFFFFF};
         Release(machine, registry, "Professional", "23H2", 4460);
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
     "Current system information:\n"
     " Windows: Windows 11 Professional\n"
     " Version: 23H2\n"
     " Build: 10.0.22631.4460\n"
     " Windows architecture: x64\n"
     " envcheck runs as: " + OnX64 + "\n"
     " Power: battery 57%\n"
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
         machine.SetVersion(10, 0, 19045);
         machine.MissingFunctions.insert("IsWow64Process2");
         machine.MissingLibraries.insert("shcore.dll");
         machine.NativeMachine = IMAGE_FILE_MACHINE_AMD64;
         machine.SystemDpi = 144;
         machine.Power.ACLineStatus = 255;
         Release(machine, registry, "Core", "22H2", 3803);
         TFakeGpu card = Gpu(L"NVIDIA GeForce RTX 3060 Ti", 0x10DE, 0x2489, 0x88161043, 161, 8 * GiB, 4072 * MiB,
                             Driver(32, 0, 15, 6094));
         card.Displays.push_back(Display(L"\\\\.\\DISPLAY1", 0, 2560, 1440, 144, 96));
         card.Displays.push_back(Display(L"\\\\.\\DISPLAY2", 2560, 1920, 1080, 60, 96));
         card.Displays.back().HasMode = false;
         machine.Gpus.push_back(card);
     },
     "Current system information:\n"
     " Windows: Windows 10 Core\n"
     " Version: 22H2\n"
     " Build: 10.0.19045.3803\n"
     " Windows architecture: x64\n"
     " envcheck runs as: " + OnX64 + "\n"
     " Power: unknown\n"
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
         machine.SetVersion(10, 0, 26100);
         machine.NativeMachine = IMAGE_FILE_MACHINE_ARM64;
         Release(machine, registry, "Professional", "24H2", 2605);
         TFakeGpu adreno = Gpu(L"Qualcomm(R) Adreno(TM) X1-85 GPU", 0x4D4F4351, 0x36334330, 0, 0, 0, 3968 * MiB,
                               Driver(31, 0, 101, 5333));
         adreno.Displays.push_back(Display(L"\\\\.\\DISPLAY1", 0, 2944, 1840, 120, 0));
         machine.Gpus.push_back(adreno);
         machine.SystemDpi = 96;
     },
     "Current system information:\n"
     " Windows: Windows 11 Professional\n"
     " Version: 24H2\n"
     " Build: 10.0.26100.2605\n"
     " Windows architecture: ARM64\n"
     " envcheck runs as: " + OnArm64 + "\n"
     " Power: AC\n"
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
         machine.SetVersion(10, 0, 26100);
         machine.NativeMachine = IMAGE_FILE_MACHINE_ARM64;
         machine.ProgramMachine = IMAGE_FILE_MACHINE_AMD64;
         Release(machine, registry, "Professional", "24H2", 2605);
         machine.Gpus.push_back(Gpu(L"Qualcomm(R) Adreno(TM) X1-85 GPU", 0x4D4F4351, 0x36334330, 0, 0, 4 * GiB,
                                    3968 * MiB, Driver(31, 0, 101, 5333)));
         // A card whose PCI ids are the ACPI ids' low halves.
         registry.Keys[DisplayClass];
         registry.SetString(DisplayClass + "\\0000", "MatchingDeviceId", "PCI\\VEN_4351&DEV_4330");
         registry.SetQword(DisplayClass + "\\0000", "HardwareInformation.qwMemorySize", 8ULL << 30);
     },
     "Current system information:\n"
     " Windows: Windows 11 Professional\n"
     " Version: 24H2\n"
     " Build: 10.0.26100.2605\n"
     " Windows architecture: ARM64\n"
     " envcheck runs as: x64 on ARM64 (emulated)\n"
     " Power: AC\n"
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
         machine.SetVersion(10, 0, 22631, VER_NT_SERVER);
         machine.NativeMachine = IMAGE_FILE_MACHINE_AMD64;
         Release(machine, registry, "ServerRdsh", "23H2", 4460);
     },
     "Current system information:\n"
     " Windows: Windows 11 ServerRdsh\n"
     " Version: 23H2\n"
     " Build: 10.0.22631.4460\n"
     " Windows architecture: x64\n"
     " envcheck runs as: " + OnX64 + "\n"
     " Power: AC\n"
     "\n"},
    {"Windows Server 23H2, a build no long-term release has",
     [](TFakeCurrentSystem& machine, TFakeSystem& registry) {
         machine.SetVersion(10, 0, 25398, VER_NT_SERVER);
         machine.NativeMachine = IMAGE_FILE_MACHINE_AMD64;
         Release(machine, registry, "ServerDatacenter", "23H2", 1251);
     },
     "Current system information:\n"
     " Windows: Windows Server (build 25398) ServerDatacenter\n"
     " Version: 23H2\n"
     " Build: 10.0.25398.1251\n"
     " Windows architecture: x64\n"
     " envcheck runs as: " + OnX64 + "\n"
     " Power: AC\n"
     "\n"},
    {"Windows 11 23H2 telling the program 6.1.7601: a compatibility mode for Windows 7",
     [](TFakeCurrentSystem& machine, TFakeSystem& registry) {
         machine.SetVersion(10, 0, 22631);
         machine.NativeMachine = IMAGE_FILE_MACHINE_AMD64;
         Release(machine, registry, "Professional", "23H2", 4460);
         machine.SetVersion(6, 1, 7601);
     },
     "Current system information:\n"
     " Windows: Windows 11 Professional (envcheck runs in compatibility mode for Windows 7)\n"
     " Version: 23H2\n"
     " Build: 10.0.22631.4460\n"
     " Windows architecture: x64\n"
     " envcheck runs as: " + OnX64 + "\n"
     " Power: AC\n"
     "\n"},
    {"Windows 10 1511 at 150%: GetDpiForMonitor, but no per-monitor aware thread",
     [](TFakeCurrentSystem& machine, TFakeSystem& registry) {
         machine.SetVersion(10, 0, 10586);
         machine.NativeMachine = IMAGE_FILE_MACHINE_AMD64;
         machine.MissingFunctions.insert({"IsWow64Process2", "SetThreadDpiAwarenessContext"});
         machine.SystemDpi = 96;  // virtualized for the DPI-unaware thread
         Release(machine, registry, "Core", "1511", 1176);
         TFakeGpu intel = Gpu(L"Intel(R) HD Graphics 520", 0x8086, 0x1916, 0, 7, 128 * MiB, 4 * GiB,
                              Driver(20, 19, 15, 4352));
         intel.Displays.push_back(Display(L"\\\\.\\DISPLAY1", 0, 1920, 1080, 60, 144));
         machine.Gpus.push_back(intel);
     },
     "Current system information:\n"
     " Windows: Windows 10 Core\n"
     " Version: 1511\n"
     " Build: 10.0.10586.1176\n"
     " Windows architecture: x64\n"
     " envcheck runs as: " + OnX64 + "\n"
     " Power: AC\n"
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
     "Current system information:\n"
     " Windows: Windows 10\n"
     " Windows architecture: " + Own + "\n"
     " envcheck runs as: " + Own + "\n"
     " Power: AC\n"
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
     "Current system information:\n"
     " Windows: Windows 10\n"
     " Windows architecture: " + Own + "\n"
     " envcheck runs as: " + Own + "\n"
     " Power: AC\n"
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
     "Current system information:\n"
     " Windows: Windows 7 Ultimate\n"
     " Windows architecture: " + Own + "\n"
     " envcheck runs as: " + Own + "\n"
     " Power: AC\n"
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
         machine.Devices = {Device(L"NVIDIA GeForce4 MX 440", L"0000")};
         DriverKey(registry, "0000", "6.14.10.4523", "6-11-2003");
     },
     "Current system information:\n"
     " Windows: Windows 2000\n"
     " Windows architecture: " + Own + "\n"
     " envcheck runs as: " + Own + "\n"
     " Power: AC\n"
     " DXGI\x82\xaa\x97\x98\x97\x70\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\x81\x42\n"
     "\n"
     "Display devices:\n"
     " NVIDIA GeForce4 MX 440: driver 6.14.10.4523 of 2003-06-11, working\n"
     "\n",
     WindowsVersion(VER_PLATFORM_WIN32_NT, 5, 0, 2195)},
    {"A hybrid laptop: the discrete GPU is the high-performance one and drives no display",
     [](TFakeCurrentSystem& machine, TFakeSystem& registry) {
         machine.Graphics();
         machine.SetVersion(10, 0, 22631);
         machine.NativeMachine = IMAGE_FILE_MACHINE_AMD64;
         Release(machine, registry, "Professional", "23H2", 4460);
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
         machine.Devices = {Device(L"Intel(R) UHD Graphics 620", L"0000"),
                            Device(L"NVIDIA GeForce RTX 3070 Laptop GPU", L"0001")};
         DriverKey(registry, "0000", "31.0.101.2111", "11-9-2022");
         DriverKey(registry, "0001", "31.0.15.3623", "6-28-2023");
     },
     "Current system information:\n"
     " Windows: Windows 11 Professional\n"
     " Version: 23H2\n"
     " Build: 10.0.22631.4460\n"
     " Windows architecture: x64\n"
     " envcheck runs as: " + OnX64 + "\n"
     " Power: AC\n"
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
         machine.Devices = {Device(L"NVIDIA GeForce RTX 3060 Ti", L"0000")};
         DriverKey(registry, "0000", "32.0.15.6094", "8-14-2024");
     },
     "Current system information:\n"
     " Windows: Windows 10\n"
     " Windows architecture: " + Own + "\n"
     " envcheck runs as: " + Own + "\n"
     " Power: AC\n"
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
         machine.Devices = {Device(L"NVIDIA GeForce GTX 1650", L"0000", DN_HAS_PROBLEM, 43),
                            Device(L"AMD Radeon RX 580", L"0001", DN_HAS_PROBLEM, 22),
                            Device(L"Intel(R) UHD Graphics 630", L"0002", DN_HAS_PROBLEM, 28),
                            Device(L"Microsoft Basic Display Adapter", L"0003"),
                            Device(L"Odd Adapter", L"0004", DN_HAS_PROBLEM, 99),
                            Device(L"Silent Adapter", L"")};
         machine.Devices[2].Driver.clear();
         machine.Devices[3].Service = L"BasicDisplay";
         machine.Devices[4].FriendlyName = L"Odd Adapter (friendly)";
         machine.Devices[5].StatusFails = true;
         DriverKey(registry, "0000", "31.0.15.3623", "6-28-2023");
         DriverKey(registry, "0001", "31.0.15.5222", "not a date");
         DriverKey(registry, "0003", "10.0.22621.1", "6-21-2006");
     },
     "Current system information:\n"
     " Windows: Windows 10\n"
     " Windows architecture: " + Own + "\n"
     " envcheck runs as: " + Own + "\n"
     " Power: AC\n"
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
     [](TFakeCurrentSystem& machine, TFakeSystem&) {
         machine.Graphics();
         machine.SetVersion(6, 3, 9600);
         machine.Dxgi16 = false;
         machine.MissingLibraries.insert("d3d11.dll");
         machine.MissingFunctions.insert("SetupDiGetClassDevsW");
         machine.Gpus = {Gpu(L"AMD Radeon R7 200 Series", 0x1002, 0x6613, 0, 0, 2 * GiB, 0, 0)};
         machine.Gpus[0].ShaderModel = 0x60;
         machine.Devices = {Device(L"AMD Radeon R7 200 Series", L"0000")};
     },
     "Current system information:\n"
     " Windows: Windows 8.1\n"
     " Windows architecture: " + Own + "\n"
     " envcheck runs as: " + Own + "\n"
     " Power: AC\n"
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
     "Current system information:\n"
     " Windows: Windows 10\n"
     " Windows architecture: " + Own + "\n"
     " envcheck runs as: " + Own + "\n"
     " Power: AC\n"
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
    for (const TMachineCase& row : Machines) {
        SCOPED_TRACE(row.Name);
        TFakeCurrentSystem machine;
        TFakeSystem registry;
        row.Build(machine, registry);
        TCurrentSystemInfo info(machine, registry, registry);
        info.Collect(row.Told);
        // But for the lines every machine has that these rows are not about (PrerequisitesTest's).
        EXPECT_EQ(row.Section, SectionText(info, {" Processor features: ", " Visual C++ runtime: ", " .NET Framework: ",
                                                  " DirectX 9 extras: "}, false));
        EXPECT_EQ(0, machine.LiveObjects) << "DXGI objects not released";
        EXPECT_EQ(0, machine.ObjectsAliveAtFree) << "a library freed before its objects";
        EXPECT_EQ(0, machine.OpenLibraries());
        for (const std::string& path : machine.LoadedPaths)
            EXPECT_EQ(0u, path.find("C:\\WINDOWS\\system32\\")) << path << ": not from the system directory";
        EXPECT_EQ(0, machine.DcsHeld);
        EXPECT_EQ(registry.Open.size(), static_cast<size_t>(registry.Closes)) << "each opened key is closed once";
        EXPECT_EQ(0, machine.DeviceListsHeld);
        // One factory for the whole section, at most one Direct3D 12 device per adapter.
        EXPECT_LE(machine.Factories, 1);
        EXPECT_LE(machine.Direct3D12Devices, static_cast<int>(machine.Gpus.size()));
        if (!machine.Awareness.empty()) {
            EXPECT_EQ(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE, machine.Awareness.front());
            EXPECT_EQ(DPI_AWARENESS_CONTEXT_UNAWARE, machine.Awareness.back()) << "the thread's awareness is put back";
            EXPECT_EQ(2u, machine.Awareness.size());
        }
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
    EXPECT_EQ(0, machine.LiveObjects);
}
