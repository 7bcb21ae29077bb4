#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>

#include "fakes/current/FakeCurrentSystem.h"
#include "fakes/system/FakeSystem.h"
#include "info/current/CurrentSystemInfo.h"
#include "support/SavedOsVersion.h"

namespace {

const char* const CurrentVersion = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
const std::string DisplayClass = "SYSTEM\\CurrentControlSet\\Control\\Class\\{4d36e968-e325-11ce-bfc1-08002be10318}";
const SIZE_T Cap = 0xFFFFFFFF;  // what a 32-bit process is told of 4 GiB or more
const SIZE_T MiB = 1 << 20;

TFakeDisplay Display(const wchar_t* name, LONG left, DWORD width, DWORD height, DWORD refresh, UINT dpi)
{
    TFakeDisplay display;
    display.Name = name;
    display.Desktop = {left, 0, static_cast<LONG>(left + width), static_cast<LONG>(height)};
    display.Width = width;
    display.Height = height;
    display.Refresh = refresh;
    display.Dpi = dpi;
    return display;
}

TFakeGpu Gpu(const wchar_t* description, UINT vendor, UINT device, UINT subsys, UINT revision, SIZE_T video,
             SIZE_T shared, LONGLONG driver)
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

void Release(TFakeSystem& registry, const char* edition, const char* displayVersion, DWORD ubr)
{
    registry.SetString(CurrentVersion, "ProductName", "Windows 10 Pro");
    registry.SetString(CurrentVersion, "EditionID", edition);
    registry.SetString(CurrentVersion, "DisplayVersion", displayVersion);
    registry.SetString(CurrentVersion, "ReleaseId", "2009");
    registry.SetDword(CurrentVersion, "UBR", ubr);
    // What a 32-bit view of the key shows instead.
    registry.Redirects = true;
    registry.SetString("SOFTWARE\\WOW6432Node\\Microsoft\\Windows NT\\CurrentVersion", "EditionID", "WOW64");
}

struct TMachineCase {
    const char* Name;
    std::function<void(TFakeCurrentSystem&, TFakeSystem&)> Build;
    const char* Section;
};

const TMachineCase Machines[] = {
    {"Windows 11 23H2 laptop on battery: integrated, discrete without display, software",
     [](TFakeCurrentSystem& machine, TFakeSystem& registry) {
         machine.SetVersion(10, 0, 22631);
         machine.ProcessMachine = IMAGE_FILE_MACHINE_I386;
         machine.NativeMachine = IMAGE_FILE_MACHINE_AMD64;
         machine.Power = {0, 1, 57, 0, 12000, 0xFFFFFFFF};
         Release(registry, "Professional", "23H2", 4460);
         TFakeGpu intel = Gpu(L"Intel(R) UHD Graphics 620", 0x8086, 0x5917, 0x07A81028, 7, 128 * MiB, Cap,
                              Driver(31, 0, 101, 2111));
         intel.Displays.push_back(Display(L"\\\\.\\DISPLAY1", 0, 1920, 1080, 60, 120));
         machine.Gpus.push_back(intel);
         // 8 GiB, of which the 32-bit process is told the cap; the driver key knows.
         machine.Gpus.push_back(Gpu(L"NVIDIA GeForce RTX 3070 Laptop GPU", 0x10DE, 0x249D, 0x0A6C1028, 161, Cap,
                                    Cap, Driver(31, 0, 15, 3623)));
         registry.Keys[DisplayClass];
         registry.SetString(DisplayClass + "\\0000", "MatchingDeviceId", "pci\\ven_8086&dev_5917");
         registry.SetString(DisplayClass + "\\0001", "MatchingDeviceId", "PCI\\VEN_10DE&DEV_249D&SUBSYS_0A6C1028");
         registry.SetQword(DisplayClass + "\\0001", "HardwareInformation.qwMemorySize", 8ULL << 30);
         registry.Keys[DisplayClass + "\\Properties"];
         registry.Unopenable.insert(DisplayClass + "\\Properties");
         TFakeGpu software = Gpu(L"Microsoft Basic Render Driver", 0x1414, 0x8C, 0, 0, 0, Cap, 0);
         software.Flags = DXGI_ADAPTER_FLAG_SOFTWARE;
         machine.Gpus.push_back(software);
     },
     "Current system information:\n"
     " Windows: Windows 11 Professional\n"
     " Version: 23H2\n"
     " Build: 10.0.22631.4460\n"
     " Windows architecture: x64\n"
     " envcheck runs as: x86 on x64 (WOW64)\n"
     " Power: battery 57%\n"
     "\n"
     "Graphics adapter 0: Intel(R) UHD Graphics 620\n"
     " VendorId: 0x8086  DeviceId: 0x5917  SubSysId: 0x07A81028  Revision: 7\n"
     " Dedicated video memory: 128 MB\n"
     " Dedicated system memory: 0 MB\n"
     " Shared system memory: 4095 MB or more\n"
     " Driver version: 31.0.101.2111\n"
     " Display: \\\\.\\DISPLAY1 1920 x 1080 60 Hz, scale 125%, primary\n"
     "Graphics adapter 1: NVIDIA GeForce RTX 3070 Laptop GPU\n"
     " VendorId: 0x10DE  DeviceId: 0x249D  SubSysId: 0x0A6C1028  Revision: 161\n"
     " Dedicated video memory: 8192 MB\n"
     " Dedicated system memory: 0 MB\n"
     " Shared system memory: 4095 MB or more\n"
     " Driver version: 31.0.15.3623\n"
     "Graphics adapter 2: Microsoft Basic Render Driver (software)\n"
     " VendorId: 0x1414  DeviceId: 0x008C  SubSysId: 0x00000000  Revision: 0\n"
     " Dedicated video memory: 0 MB\n"
     " Dedicated system memory: 0 MB\n"
     " Shared system memory: 4095 MB or more\n"
     "\n"},
    {"Windows 10 22H2 before IsWow64Process2 and GetDpiForMonitor; an 8 GiB card nothing else knows",
     [](TFakeCurrentSystem& machine, TFakeSystem& registry) {
         machine.SetVersion(10, 0, 19045);
         machine.MissingFunctions.insert("IsWow64Process2");
         machine.MissingLibraries.insert("shcore.dll");
         machine.Wow64 = TRUE;
         machine.SystemDpi = 144;
         machine.Power.ACLineStatus = 255;
         Release(registry, "Core", "22H2", 3803);
         TFakeGpu card = Gpu(L"NVIDIA GeForce RTX 3060 Ti", 0x10DE, 0x2489, 0x88161043, 161, Cap, 4072 * MiB,
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
     " envcheck runs as: x86 on x64 (WOW64)\n"
     " Power: unknown\n"
     "\n"
     "Graphics adapter 0: NVIDIA GeForce RTX 3060 Ti\n"
     " VendorId: 0x10DE  DeviceId: 0x2489  SubSysId: 0x88161043  Revision: 161\n"
     " Dedicated video memory: 4095 MB or more\n"
     " Dedicated system memory: 0 MB\n"
     " Shared system memory: 4072 MB\n"
     " Driver version: 32.0.15.6094\n"
     " Display: \\\\.\\DISPLAY1 2560 x 1440 144 Hz, scale 150%, primary\n"
     " Display: \\\\.\\DISPLAY2, scale 150%\n"
     "\n"},
    {"Windows 11 on ARM64 running the x86 program emulated",
     [](TFakeCurrentSystem& machine, TFakeSystem& registry) {
         machine.SetVersion(10, 0, 26100);
         machine.ProcessMachine = IMAGE_FILE_MACHINE_I386;
         machine.NativeMachine = IMAGE_FILE_MACHINE_ARM64;
         Release(registry, "Professional", "24H2", 2605);
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
     " envcheck runs as: x86 on ARM64 (emulated)\n"
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
    {"Windows 7 SP1, 32-bit: no release, no UBR, no per-monitor DPI",
     [](TFakeCurrentSystem& machine, TFakeSystem& registry) {
         machine.SetVersion(6, 1, 7601);
         machine.MissingFunctions = {"IsWow64Process2", "SetThreadDpiAwarenessContext"};
         machine.MissingLibraries.insert("shcore.dll");
         machine.SystemDpi = 120;
         registry.SetString(CurrentVersion, "ProductName", "Windows 7 Ultimate");
         registry.SetString(CurrentVersion, "EditionID", "Ultimate");
         registry.SetString(CurrentVersion, "CSDVersion", "Service Pack 1");
         TFakeGpu radeon = Gpu(L"ATI Radeon HD 5450", 0x1002, 0x68F9, 0x3000174B, 0, 1010 * MiB, 1791 * MiB,
                               Driver(8, 17, 10, 1129));
         radeon.Displays.push_back(Display(L"\\\\.\\DISPLAY1", 0, 1280, 1024, 75, 96));
         machine.Gpus.push_back(radeon);
     },
     "Current system information:\n"
     " Windows: Windows 7 Ultimate\n"
     " Windows architecture: x86\n"
     " envcheck runs as: x86\n"
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
    {"Windows 2000: no RtlGetVersion, no WOW64, no DXGI",
     [](TFakeCurrentSystem& machine, TFakeSystem& registry) {
         machine.MissingFunctions = {"RtlGetVersion", "IsWow64Process2", "IsWow64Process",
                                     "SetThreadDpiAwarenessContext"};
         machine.MissingLibraries = {"shcore.dll", "dxgi.dll"};
         OsVersion.dwPlatformId = VER_PLATFORM_WIN32_NT;
         OsVersion.dwMajorVersion = 5;
         OsVersion.dwMinorVersion = 0;
         OsVersion.dwBuildNumber = 2195;
         OsVersionIsEx = true;
         OsVersion.wProductType = VER_NT_WORKSTATION;
         registry.SetString(CurrentVersion, "CurrentBuildNumber", "2195");
     },
     "Current system information:\n"
     " Windows: Windows 2000\n"
     " Windows architecture: x86\n"
     " envcheck runs as: x86\n"
     " Power: AC\n"
     " DXGI\x82\xaa\x97\x98\x97\x70\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\x81\x42\n"
     "\n"},
};

std::string TextOf(const TBaseInfo& info)
{
    std::string text;
    for (const std::string& element : info.GetLines()) text += element;
    return text;
}

}  // namespace

// Each machine's whole section, and every reference, library, key and DC given back.
TEST(CurrentSystemInfoTest, MachinesGiveTheirExactSection)
{
    for (const TMachineCase& row : Machines) {
        SCOPED_TRACE(row.Name);
        TSavedOsVersion saved;
        TFakeCurrentSystem machine;
        TFakeSystem registry;
        row.Build(machine, registry);
        TCurrentSystemInfo info(machine, registry);
        info.Collect();
        EXPECT_EQ(row.Section, TextOf(info));
        EXPECT_EQ(0, machine.LiveObjects) << "DXGI objects not released";
        EXPECT_EQ(0, machine.OpenLibraries());
        for (const std::string& path : machine.LoadedPaths)
            EXPECT_EQ(0u, path.find("C:\\WINDOWS\\system32\\")) << path << ": not from the system directory";
        EXPECT_EQ(0, machine.DcsHeld);
        EXPECT_EQ(registry.Open.size(), static_cast<size_t>(registry.Closes)) << "each opened key is closed once";
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
    TCurrentSystemInfo info(machine, registry);
    info.Collect();
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
