#include <gtest/gtest.h>

#include <windows.h>
#include <cfgmgr32.h>
#include <d3d11.h>
#include <devguid.h>
#include <setupapi.h>

#include <cpuid.h>

#include <string>
#include <vector>

#include "e2e/Envcheck.h"
#include "e2e/WineVersion.h"
#include "info/FunctionCast.h"
#include "info/current/CurrentSystemInfo.h"

namespace {

const char* const CurrentVersion = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

// Release values the prefix lacks, written for the test and taken away after it.
class TReleaseValues {
public:
    TReleaseValues()
    {
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, CurrentVersion, 0, KEY_READ | KEY_SET_VALUE, &Key);
        Add("EditionID", REG_SZ, "Professional", 13);
        Add("DisplayVersion", REG_SZ, "22H2", 5);
        const DWORD ubr = 4460;
        Add("UBR", REG_DWORD, &ubr, sizeof(ubr));
    }
    ~TReleaseValues()
    {
        for (const std::string& name : Added) RegDeleteValueA(Key, name.c_str());
        if (Key != nullptr) RegCloseKey(Key);
    }
    TReleaseValues(const TReleaseValues&) = delete;
    TReleaseValues& operator=(const TReleaseValues&) = delete;

    // What the key holds now, read as reg query reads it.
    std::string Text(const char* name) const
    {
        char text[256] = {};
        DWORD size = sizeof(text) - 1;
        DWORD type = 0;
        return RegQueryValueExA(Key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) == ERROR_SUCCESS &&
                       type == REG_SZ
                   ? text
                   : "?";
    }
    DWORD Number(const char* name) const
    {
        DWORD value = 0;
        DWORD size = sizeof(value);
        RegQueryValueExA(Key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
        return value;
    }

private:
    void Add(const char* name, DWORD type, const void* data, DWORD size)
    {
        if (Key == nullptr || RegQueryValueExA(Key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) return;
        if (RegSetValueExA(Key, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS)
            Added.push_back(name);
    }
    HKEY Key = nullptr;
    std::vector<std::string> Added;
};

// The names a version may have: Wine's 6.1 may be either edition.
std::vector<std::string> Products(const std::string& version)
{
    if (version.compare(0, 4, "6.1.") == 0) return {"Windows 7", "Windows Server 2008 R2"};
    if (version.compare(0, 5, "10.0.") == 0) return {std::stoul(version.substr(5)) >= 22000 ? "Windows 11" : "Windows 10"};
    return {"?"};
}

std::string ValueAfter(const std::string& report, const std::string& label)
{
    const size_t at = report.find(label);
    if (at == std::string::npos) return "?";
    const size_t start = at + label.size();
    return report.substr(start, report.find('\n', start) - start);
}

// A function of a Windows library the test is not linked with: the program's
// executables import from Windows' core libraries only.
template <typename Function>
Function* Find(const char* library, const char* name)
{
    return FunctionCast<Function*>(GetProcAddress(LoadLibraryA(library), name));
}

// What the display configuration says of \\.\DISPLAY1: ", CONNECTION, \"NAME\"" (Wine has no HDR).
std::string ConfigurationOfFirstDisplay()
{
    UINT32 paths = 0, modes = 0;
    if (GetDisplayConfigBufferSizes(QDC_ONLY_ACTIVE_PATHS, &paths, &modes) != ERROR_SUCCESS) return "";
    std::vector<DISPLAYCONFIG_PATH_INFO> path(paths);
    std::vector<DISPLAYCONFIG_MODE_INFO> mode(modes);
    if (QueryDisplayConfig(QDC_ONLY_ACTIVE_PATHS, &paths, path.data(), &modes, mode.data(), nullptr) != ERROR_SUCCESS)
        return "";
    for (UINT32 at = 0; at < paths; ++at) {
        DISPLAYCONFIG_SOURCE_DEVICE_NAME source = {};
        source.header = {DISPLAYCONFIG_DEVICE_INFO_GET_SOURCE_NAME, sizeof(source), path[at].sourceInfo.adapterId,
                         path[at].sourceInfo.id};
        if (DisplayConfigGetDeviceInfo(&source.header) != ERROR_SUCCESS ||
            std::wstring(source.viewGdiDeviceName) != L"\\\\.\\DISPLAY1")
            continue;
        DISPLAYCONFIG_TARGET_DEVICE_NAME target = {};
        target.header = {DISPLAYCONFIG_DEVICE_INFO_GET_TARGET_NAME, sizeof(target), path[at].targetInfo.adapterId,
                         path[at].targetInfo.id};
        if (DisplayConfigGetDeviceInfo(&target.header) != ERROR_SUCCESS) return "";
        char name[128] = {};
        WideCharToMultiByte(932, 0, target.monitorFriendlyDeviceName, -1, name, sizeof(name) - 1, nullptr, nullptr);
        return ", " + std::string(ConnectionText(target.outputTechnology)) +
               (name[0] != '\0' ? ", \"" + std::string(name) + "\"" : "");
    }
    return "";
}

// Every present display device as setupapi and cfgmgr32 tell the test: " NAME: driver ..., STATE".
std::vector<std::string> DisplayDevices()
{
    std::vector<std::string> lines;
    const auto SetupDiGetClassDevsW = Find<decltype(::SetupDiGetClassDevsW)>("setupapi.dll", "SetupDiGetClassDevsW");
    const auto SetupDiEnumDeviceInfo = Find<decltype(::SetupDiEnumDeviceInfo)>("setupapi.dll", "SetupDiEnumDeviceInfo");
    const auto SetupDiGetDeviceRegistryPropertyA =
        Find<decltype(::SetupDiGetDeviceRegistryPropertyA)>("setupapi.dll", "SetupDiGetDeviceRegistryPropertyA");
    const auto SetupDiOpenDevRegKey = Find<decltype(::SetupDiOpenDevRegKey)>("setupapi.dll", "SetupDiOpenDevRegKey");
    const auto SetupDiDestroyDeviceInfoList =
        Find<decltype(::SetupDiDestroyDeviceInfoList)>("setupapi.dll", "SetupDiDestroyDeviceInfoList");
    const auto CM_Get_DevNode_Status = Find<decltype(::CM_Get_DevNode_Status)>("cfgmgr32.dll", "CM_Get_DevNode_Status");
    const HDEVINFO list = SetupDiGetClassDevsW(&GUID_DEVCLASS_DISPLAY, nullptr, nullptr, DIGCF_PRESENT);
    if (list == INVALID_HANDLE_VALUE) return lines;
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof(device);
    for (DWORD index = 0; SetupDiEnumDeviceInfo(list, index, &device); ++index) {
        char name[512] = {};
        if (!SetupDiGetDeviceRegistryPropertyA(list, &device, SPDRP_FRIENDLYNAME, nullptr,
                                               reinterpret_cast<BYTE*>(name), sizeof(name) - 1, nullptr))
            SetupDiGetDeviceRegistryPropertyA(list, &device, SPDRP_DEVICEDESC, nullptr, reinterpret_cast<BYTE*>(name),
                                              sizeof(name) - 1, nullptr);
        std::string line = std::string(" ") + name + ": driver ";
        char version[128] = {};
        char date[128] = {};
        const HKEY key = SetupDiOpenDevRegKey(list, &device, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ);
        if (key != INVALID_HANDLE_VALUE) {
            DWORD size = sizeof(version) - 1;
            RegQueryValueExA(key, "DriverVersion", nullptr, nullptr, reinterpret_cast<BYTE*>(version), &size);
            size = sizeof(date) - 1;
            RegQueryValueExA(key, "DriverDate", nullptr, nullptr, reinterpret_cast<BYTE*>(date), &size);
            RegCloseKey(key);
        }
        line += version[0] != '\0' ? version : "unknown";
        unsigned month = 0, day = 0, year = 0;
        if (sscanf(date, "%u-%u-%u", &month, &day, &year) == 3) {
            char iso[16] = {};
            snprintf(iso, sizeof(iso), "%04u-%02u-%02u", year, month, day);
            line += std::string(" of ") + iso;
        }
        ULONG status = 0, problem = 0;
        if (CM_Get_DevNode_Status(&status, &problem, device.DevInst, 0) != CR_SUCCESS)
            line += ", unknown";
        else if ((status & DN_HAS_PROBLEM) == 0)
            line += ", working";
        else
            line += ", problem " + std::to_string(problem);
        lines.push_back(line);
    }
    SetupDiDestroyDeviceInfoList(list);
    return lines;
}

// The highest feature level Direct3D 11 gives DXGI's first adapter, named as the section names it.
std::string FirstAdapterFeatureLevel()
{
    const auto CreateDXGIFactory1 = Find<decltype(::CreateDXGIFactory1)>("dxgi.dll", "CreateDXGIFactory1");
    const auto D3D11CreateDevice = Find<decltype(::D3D11CreateDevice)>("d3d11.dll", "D3D11CreateDevice");
    IDXGIFactory1* factory = nullptr;
    if (FAILED(CreateDXGIFactory1(__uuidof(IDXGIFactory1), reinterpret_cast<void**>(&factory)))) return "?";
    IDXGIAdapter1* adapter = nullptr;
    D3D_FEATURE_LEVEL level = D3D_FEATURE_LEVEL(0);
    const D3D_FEATURE_LEVEL levels[] = {D3D_FEATURE_LEVEL_11_1, D3D_FEATURE_LEVEL_11_0, D3D_FEATURE_LEVEL_10_1,
                                        D3D_FEATURE_LEVEL_10_0, D3D_FEATURE_LEVEL_9_3,  D3D_FEATURE_LEVEL_9_2,
                                        D3D_FEATURE_LEVEL_9_1};
    ID3D11Device* device = nullptr;
    if (SUCCEEDED(factory->EnumAdapters1(0, &adapter)) &&
        SUCCEEDED(D3D11CreateDevice(adapter, D3D_DRIVER_TYPE_UNKNOWN, nullptr, 0, levels, 7, D3D11_SDK_VERSION, &device,
                                    &level, nullptr)))
        device->Release();
    if (adapter != nullptr) adapter->Release();
    factory->Release();
    return FeatureLevelText(level);
}

// The processor's features as the test reads CPUID and XGETBV itself.
std::string ProcessorFeatures()
{
    PrerequisitesRecord record;
    unsigned a = 0, b = 0, c = 0, d = 0;
    record.HasCpuid = true;
    const unsigned highest = __get_cpuid_max(0, nullptr);
    if (highest >= 1 && __get_cpuid(1, &a, &b, &c, &d)) record.FeatureEcx = c;
    if (highest >= 7) {
        __cpuid_count(7, 0, a, b, c, d);
        record.ExtendedEbx = b;
    }
    if ((record.FeatureEcx & 1u << 27) != 0) {
        unsigned low = 0, high = 0;
        __asm__ volatile(".byte 0x0f, 0x01, 0xd0" : "=a"(low), "=d"(high) : "c"(0));
        record.SavedState = (static_cast<unsigned long long>(high) << 32) | low;
    }
    return ProcessorFeaturesText(record);
}

// "x86 14.40.33810" and the like, as the registry's runtime keys tell the test.
std::string RuntimeOf(const char* machine, REGSAM view)
{
    HKEY key = nullptr;
    const std::string path = std::string("SOFTWARE\\Microsoft\\VisualStudio\\14.0\\VC\\Runtimes\\") + machine;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return "missing";
    DWORD values[4] = {};
    const char* names[4] = {"Installed", "Major", "Minor", "Bld"};
    for (int at = 0; at < 4; ++at) {
        DWORD size = sizeof(DWORD);
        RegQueryValueExA(key, names[at], nullptr, nullptr, reinterpret_cast<BYTE*>(&values[at]), &size);
    }
    RegCloseKey(key);
    if (values[0] != 1) return "missing";
    return std::to_string(values[1]) + "." + std::to_string(values[2]) + "." + std::to_string(values[3]);
}

// Which of the DirectX 9 extras the test finds in the 32-bit system directory.
std::string Extras()
{
    char directory[MAX_PATH] = {};
    if (sizeof(void*) == 4 || GetSystemWow64DirectoryA(directory, MAX_PATH) == 0)
        GetSystemDirectoryA(directory, MAX_PATH);
    std::vector<bool> present;
    for (const char* name : DirectX9Extras())
        present.push_back(GetFileAttributesA((std::string(directory) + "\\" + name + ".dll").c_str()) !=
                          INVALID_FILE_ATTRIBUTES);
    return ExtrasText(present);
}

}  // namespace

// The closing section of the real program agrees with what the test reads
// itself: the registry, the Direct3D 9 adapter, the screen, and the version
// Wine is told to answer.
TEST(CurrentSystemEndToEndTest, SectionAgreesWithTheRegistryTheAdapterAndTheScreen)
{
    TReleaseValues release;
    TVersionsCopy copy;
    ASSERT_TRUE(copy.Copied) << copy.Path << ": error " << GetLastError();
    const struct {
        const char* Wine;
        const char* Version;
    } versions[] = {{"win7", "6.1."}, {"win10", "10.0."}};
    for (const auto& version : versions) {
        SCOPED_TRACE(version.Wine);
        TWineVersion wine(version.Wine);
        const std::string report = HeadlessReport("current.txt", copy.Path);
        ASSERT_FALSE(report.empty());
        const size_t at = report.find("\n\nCurrent system information:\n");
        ASSERT_NE(std::string::npos, at) << "no closing section";
        const std::string section = report.substr(at + 2);
        EXPECT_LT(report.rfind("Drive information: \n"), at) << "the section closes the report";
        ASSERT_EQ(section.size() - 2, section.find("\n\n", section.size() - 2)) << "ends with a blank line";

        // The version the copy is told, as the operating-system row of the same report names it; the
        // registry's own where Windows 10 or later keeps one, which the per-program setting, a compatibility
        // mode, leaves (Wine keeps 6.1 there too, which Windows 7 does not).
        const std::string osBuild = ValueAfter(report, " (Build ");
        const std::string told = version.Version + osBuild.substr(0, osBuild.find(')'));
        const std::string truth = release.Number("CurrentMajorVersionNumber") >= 10
                                      ? std::to_string(release.Number("CurrentMajorVersionNumber")) + "." +
                                            std::to_string(release.Number("CurrentMinorVersionNumber")) + "." +
                                            release.Text("CurrentBuildNumber")
                                      : told;
        const std::string windows = ValueAfter(section, " Windows: ");
        bool named = false;
        for (const std::string& product : Products(truth))
            for (const std::string& toldProduct : Products(told))
                named = named || windows == product + " " + release.Text("EditionID") +
                                               (truth == told ? ""
                                                              : " (envcheck runs in compatibility mode for " +
                                                                    toldProduct + ")");
        EXPECT_TRUE(named) << windows << " (told " << told << ", the registry says " << truth << ")";
        EXPECT_EQ(release.Text("DisplayVersion"), ValueAfter(section, " Version: "));
        EXPECT_EQ(truth + "." + std::to_string(release.Number("UBR")), ValueAfter(section, " Build: "));

        // What Windows tells a program of this build: a 32-bit one runs under WOW64 on 64-bit Windows.
        BOOL wow64 = FALSE;
        IsWow64Process(GetCurrentProcess(), &wow64);
        const std::string windowsMachine = sizeof(void*) == 8 || wow64 ? "x64" : "x86";
        EXPECT_EQ(windowsMachine, ValueAfter(section, " Windows architecture: "));
        EXPECT_EQ(wow64 ? "x86 on x64 (WOW64)" : windowsMachine, ValueAfter(section, " envcheck runs as: "));
        const std::string power = ValueAfter(section, " Power: ");
        EXPECT_TRUE(power == "AC" || power == "unknown" || power.compare(0, 7, "battery") == 0) << power;

        EXPECT_EQ(ValueAfter(report, "\n Description : "), ValueAfter(section, "\nGraphics adapter 0: "));
        const HDC screen = GetDC(nullptr);
        const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
        // A rate of 0 or 1 is the hardware's default, which names no figure (64-bit Wine gives one).
        DEVMODEA settings = {};
        settings.dmSize = sizeof(settings);
        EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &settings);
        const std::string rate =
            settings.dmDisplayFrequency > 1 ? " " + std::to_string(settings.dmDisplayFrequency) + " Hz" : "";
        EXPECT_EQ("\\\\.\\DISPLAY1 " + std::to_string(GetSystemMetrics(SM_CXSCREEN)) + " x " +
                      std::to_string(GetSystemMetrics(SM_CYSCREEN)) + rate + ", scale " +
                      std::to_string((dpi * 100 + 48) / 96) + "%, primary" + ConfigurationOfFirstDisplay(),
                  ValueAfter(section, "\n Display: "));

        // Wine's d3d11 knows no level above 11_1, so the list the test gives is the whole answer.
        EXPECT_EQ("feature level " + FirstAdapterFeatureLevel(),
                  ValueAfter(section, "\nGraphics adapter 0: ").empty() ? "?" : ValueAfter(section, "\n Direct3D: "));
        std::string devices;
        for (const std::string& line : DisplayDevices()) devices += line + "\n";
        const size_t list = section.find("\nDisplay devices:\n");
        ASSERT_NE(std::string::npos, list) << "no device list";
        // Wine's event log keeps nothing, and says so to the test as well.
        const HANDLE log = OpenEventLogW(nullptr, L"Application");
        BYTE entry[0x10000];
        DWORD read = 0, needed = 0;
        const bool entries = log != nullptr && ReadEventLogW(log, EVENTLOG_SEQUENTIAL_READ | EVENTLOG_BACKWARDS_READ,
                                                             0, entry, sizeof(entry), &read, &needed);
        if (log != nullptr) CloseEventLog(log);
        const std::string crashes = section.substr(section.find("\nRecent program crashes (30 days):\n") + 1);
        EXPECT_EQ(devices + crashes, section.substr(list + 18)) << "the crashes follow the device list";
        if (!entries) {
            EXPECT_EQ("Recent program crashes (30 days):\n (none)\n\n", crashes);
        }

        // What the test reads itself; what Wine cannot say is absent or unknown.
        EXPECT_EQ(ProcessorFeatures(), ValueAfter(section, " Processor features: "));
        const bool firmware = GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetFirmwareType") != nullptr;
        EXPECT_EQ(firmware, section.find(" Firmware: ") != std::string::npos);
        const bool ten = version.Version[0] == '1';
        EXPECT_EQ(ten, section.find(" Memory integrity: ") != std::string::npos);
        const std::string signing = ValueAfter(section, " Test signing: ");
        EXPECT_TRUE(signing == "on" || signing == "off" || signing == "unknown") << signing;
        const std::string security = ValueAfter(section, " Security software: ");
        EXPECT_TRUE(security == "?" || security == "none" || security.back() == ')') << security;
        const bool wide = sizeof(void*) == 8 || wow64;
        EXPECT_EQ("x86 " + RuntimeOf("X86", wide ? KEY_WOW64_32KEY : 0) +
                      (wide ? ", x64 " + RuntimeOf("X64", KEY_WOW64_64KEY) : ""),
                  ValueAfter(section, " Visual C++ runtime: "));
        HKEY dotNet = nullptr;
        const bool hasDotNet = RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v4\\Full",
                                             0, KEY_READ | (wide ? KEY_WOW64_64KEY : 0), &dotNet) == ERROR_SUCCESS;
        if (hasDotNet) RegCloseKey(dotNet);
        const std::string net = ValueAfter(section, " .NET Framework: ");
        EXPECT_TRUE(hasDotNet ? net != "missing" && net != "?" : net == "missing") << net;
        EXPECT_EQ(Extras(), ValueAfter(section, " DirectX 9 extras: "));
        const std::string plan = ValueAfter(section, " Power plan: ");
        EXPECT_EQ(ten ? ", battery saver off" : "", plan.substr(plan.find(',') == std::string::npos ? plan.size()
                                                                                                    : plan.find(',')))
            << plan;
        EXPECT_EQ(std::string::npos, section.find(" Remote session:")) << "Wine's session is not a remote one";
    }
}
