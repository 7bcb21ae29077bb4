#include "fault/FaultRun.h"

#include "current/MachineRun.h"
#include "info/current/CurrentSystemInfo.h"
#include "info/directx/DirectXInfo.h"
#include "info/drive/DriveInfo.h"
#include "info/network/NetworkInfo.h"
#include "info/process/ProcessInfo.h"
#include "info/service/ServiceInfo.h"
#include "info/system/SystemInfo.h"

Lines RunDrive(TFakeDriveApi& api)
{
    TDriveInfo info(api);
    EXPECT_NO_THROW(info.Collect(XpVersion()));
    CheckElements(info, "Drive information: \n");
    const size_t drives = info.GetDrives().size();
    size_t blocks = 0;
    for (const std::string& element : info.GetLines()) blocks += element.compare(0, 8, "Drive : ") == 0;
    EXPECT_EQ(drives, blocks);
    EXPECT_GE(info.GetLines().size(), 1 + 10 * drives);
    EXPECT_LE(info.GetLines().size(), 1 + 11 * drives);
    for (const DriveRecord& drive : info.GetDrives()) EXPECT_FALSE(drive.RootPath.empty());
    EXPECT_EQ(0x8000u, api.ErrorMode) << "the error mode is put back";
    return LinesOf(info);
}

void SystemMachine(TFakeSystem& machine)
{
    machine.SetVendor("GenuineIntel");
    machine.Leaves[1] = {0x686, 0x00020000, 0, 0x800000 | 0x2000000 | 0x10000000};
    machine.SetBrand("Intel(R) Pentium(R) III CPU");
    machine.SetString(ProcessorKey, "ProcessorNameString", "Intel(R) Pentium(R) III CPU");
    machine.SetString(ProcessorKey, "Identifier", "x86 Family 6 Model 8 Stepping 6");
    machine.SetDword(ProcessorKey, "~MHz", 866);
    machine.SetString("SYSTEM\\CurrentControlSet\\Control\\ProductOptions", "ProductType", "WINNT");
    machine.Keys["SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009"];
    machine.Info.dwNumberOfProcessors = 1;
    machine.Info.dwPageSize = 4096;
    machine.MemoryEx.ullTotalPhys = 512ULL << 20;
    machine.Memory.dwTotalPhys = 256u << 20;
}

Lines RunSystem(TFakeSystem& machine, const OsVersionRecord& version, const Lines* normal)
{
    TSystemInfo info(machine, machine, machine);
    EXPECT_NO_THROW(info.Collect(version));
    CheckElements(info, "Hardware information: \n");
    EXPECT_EQ(1u, CountOf(info, "Memory information: \n"));
    EXPECT_EQ(1u, CountOf(info, "Environment variables (partial list): \n"));
    EXPECT_EQ("\n", info.GetLines().back());
    EXPECT_EQ(machine.Open.size(), static_cast<size_t>(machine.Closes)) << "each opened key is closed once";
    if (normal != nullptr)
        CheckValuesFrom(info, *normal,
                        {"ProcessorName:", "ID:", "Clock:", "Computer name:", "User name:", "System directory:",
                         "Windows directory:", "  OS=", "  PATH=", "  TEMP="});
    return LinesOf(info);
}

void DirectXMachine(TFakeApi& api)
{
    TFakeContainer& root = api.Provider.Root;
    TFakeContainer& system = root.Child(L"DxDiag_SystemInfo");
    system.Set(L"dwOSMajorVersion", VT_UI4, 5);
    system.Set(L"bDebug", VT_BOOL, 0);
    system.Set(L"nD3DDebugLevel", VT_I4, -1);
    system.SetText(L"szOSEnglish", L"Windows XP");
    system.SetNullText(L"szBuildLab");
    TFakeContainer& sound = root.Child(L"DxDiag_DirectSound").Child(L"DxDiag_SoundDevices").Child(L"0");
    sound.SetText(L"szDescription", L"スピーカー");
    sound.Set(L"lNumBytes", VT_I4, 4096);
    for (int i = 0; i < 2; ++i) {
        TFakeContainer& display = root.Child(L"DxDiag_DisplayDevices").Child(std::to_wstring(i));
        display.SetText(L"szDeviceName", L"\\\\.\\DISPLAY" + std::to_wstring(i + 1));
        display.Set(L"dwWidth", VT_UI4, 1024);
        display.Set(L"bNoHardware", VT_BOOL, -1);
    }
    for (const wchar_t* name : {L"d3d9.dll", L"dsound.dll"}) {
        TFakeContainer& file = root.Child(L"DxDiag_DirectXFiles").Child(name);
        file.SetText(L"szName", name);
        file.SetText(L"szVersion", L"5.3.2600.5512");
        file.SetText(L"szLanguageEnglish", L"Japanese");
        file.SetText(L"szDatestampLocalized", L"2008/04/14");
        file.Set(L"lNumBytes", VT_I4, 1689088);
        file.Set(L"bDebug", VT_BOOL, 0);
        file.Set(L"bBeta", VT_BOOL, 0);
    }
    D3DADAPTER_IDENTIFIER9& adapter = api.Direct3D.Identifier;
    std::strcpy(adapter.Driver, "nv4_disp.dll");
    std::strcpy(adapter.Description, "NVIDIA GeForce");
    adapter.VendorId = 0x10DE;
    adapter.WHQLLevel = 1;
}

Lines RunDirectX(TFakeApi& api)
{
    const std::string failure = "DirectXの初期化に失敗しました\n";
    const Lines headings = {"DxDialog DirectX Infomation:\n", "DxDialog DirectSound Infomation:\n",
                            "DxDialog Display Infomation:\n", "DxDialog DirectX File Infomation:\n"};
    TDirectXInfo info(api);
    EXPECT_NO_THROW(info.Collect(XpVersion()));
    CheckElements(info);
    Lines all = headings;
    all.push_back(failure);
    CheckWhole(info, all);
    for (const std::string& element : info.GetLines())
        EXPECT_EQ(element.size() - 1, element.find('\n')) << "not one whole line: " << element.substr(0, 80);
    const Lines lines = LinesOf(info);
    if (!lines.empty() && lines.front() != failure) {
        // Opened: the four headings once each, in order, the adapter's block before them.
        Lines found;
        for (const std::string& element : lines)
            if (std::count(headings.begin(), headings.end(), element) != 0) found.push_back(element);
        EXPECT_EQ(headings, found);
        if (std::count(lines.begin(), lines.end(), "Graphic Adapter information:\n") != 0) {
            EXPECT_EQ("Graphic Adapter information:\n", lines.front());
        }
    } else if (!lines.empty()) {
        EXPECT_EQ(Lines{failure}, lines) << "the failure stands alone";
    }
    EXPECT_TRUE(api.AllReleased()) << "a reference or d3d9.dll was kept";
    EXPECT_EQ(0, api.LiveStrings) << "a property's text was not cleared";
    EXPECT_FALSE(api.FreedWhileInUse) << "d3d9.dll was freed before its object";
    return lines;
}

void ProcessMachine(TFakeProcessApi& api)
{
    api.Processes = {{0, "[System Process]"}, {4, "System"}, {100, "ntvdm.exe"}, {1234, "explorer.exe"},
                     {300, "game64.exe"}};
    api.Modules[1234] = {{"ntdll.dll", "C:\\WINDOWS\\system32\\ntdll.dll"},
                         {"EXPLORER.EXE", "C:\\WINDOWS\\explorer.exe"}};
    api.Modules[100] = {{"ntvdm.exe", "C:\\WINDOWS\\system32\\ntvdm.exe"}};
    api.Tasks[100] = {{0x1F, "C:\\OLD\\GAME16.EXE"}};
    api.ImagePaths[300] = "C:\\Program Files\\Game\\game64.exe";
}

Lines RunProcess(TFakeProcessApi& api, const OsVersionRecord& version)
{
    TProcessInfo info(api);
    EXPECT_NO_THROW(info.Collect(version));
    CheckElements(info, "Process Enum:\n");
    EXPECT_EQ("\n", info.GetLines().back());
    CheckTableWidths(SectionText(info), "| PID ");
    EXPECT_EQ(0, api.OpenHandles) << "a snapshot or process handle was left open";
    EXPECT_EQ(0, api.OpenLibraries()) << "a library was left loaded";
    return LinesOf(info);
}

void ServiceMachine(TFakeServiceApi& api)
{
    api.Services[SERVICE_WIN32] = {{"Windows Audio", "AudioSrv", SERVICE_RUNNING},
                                   {"Themes", "Themes", SERVICE_STOPPED}};
    api.Services[SERVICE_DRIVER] = {{"Beep", "Beep", SERVICE_RUNNING}};
}

Lines RunService(TFakeServiceApi& api, const OsVersionRecord& version)
{
    const std::string rule =
        "+--------------------------------------------------------------+--------------------+----------------------+\n";
    const std::string header =
        "| 名前                                                         | サービス名         | 状態                 |\n";
    TServiceInfo info(api);
    EXPECT_NO_THROW(info.Collect(version));
    CheckElements(info, "Service Infomation:\n");
    CheckWhole(info, {"NT系OSではないので処理をスキップします。\n", "DLLのロードに失敗しました。\n",
                      "関数のアドレス取得に失敗しました。\n", "サービスの取得に失敗。\n", "権限がありません。\n",
                      "データベースが存在しません。\n", "パラメータが無効です。\n", rule, header});
    for (const std::string& element : info.GetLines())
        EXPECT_EQ(element.size() - 1, element.find('\n')) << "not one whole line: " << element.substr(0, 80);
    EXPECT_EQ(3 * CountOf(info, header), CountOf(info, rule)) << "a table left open";
    EXPECT_EQ(0, api.OpenManagers) << "the manager was left open";
    EXPECT_EQ(0, api.OpenLibraries()) << "advapi32 was left loaded";
    return LinesOf(info);
}

void NetworkMachine(TFakeNetworkApi& api, TFakeSystem& registry)
{
    api.DnsServers = {"192.168.0.1", "192.168.0.2"};
    api.Routing = 1;
    IP_ADAPTER_INFO wins = TFakeNetworkApi::Adapter("{AA}", "192.168.0.10", 1);
    wins.DhcpEnabled = 1;
    wins.HaveWins = 1;
    api.Adapters = {wins, TFakeNetworkApi::Adapter("{BB}", "10.0.0.2", 2)};
    MIB_IFROW row = {};
    row.dwMtu = 1500;
    row.dwSpeed = 100000000;
    api.Rows[1] = row;
    registry.Keys[CardsKey];
    for (const char* card : {"1", "7"}) {
        const std::string key = std::string(CardsKey) + "\\" + card;
        registry.SetString(key, "ServiceName", card[0] == '1' ? "{AA}" : "{CC}");
        registry.SetString(key, "Description", "Fake Ethernet Card");
    }
}

Lines RunNetwork(TFakeNetworkApi& api, TFakeSystem& registry, const OsVersionRecord& version,
                 const Lines* normal)
{
    const std::string failure = "ネットワークのパラメータの取得に失敗しました。\n";
    TNetworkInfo info(api, registry);
    EXPECT_NO_THROW(info.Collect(version));
    CheckElements(info, "Network Infomation:\n");
    CheckWhole(info, {failure});
    if (CountOf(info, failure) != 0) {
        EXPECT_EQ(failure, info.GetLines()[1]);
    }
    size_t blocks = 0, ends = 0;
    for (const std::string& element : info.GetLines()) {
        blocks += element.compare(0, 13, "AdapterName: ") == 0;
        ends += element.compare(0, 7, "Speed: ") == 0;
    }
    EXPECT_EQ(blocks, ends) << "an adapter block left unfinished";
    if (normal != nullptr)
        CheckValuesFrom(info, *normal, {"AdapterName:"}, {"AdapterName: {AA}\n", "AdapterName: {BB}\n"});
    EXPECT_EQ(0, api.OpenLibraries()) << "iphlpapi.dll was left loaded";
    EXPECT_EQ(registry.Open.size(), static_cast<size_t>(registry.Closes)) << "each opened key is closed once";
    return LinesOf(info);
}

void CurrentMachine(TFakeCurrentSystem& machine, TFakeSystem& registry)
{
    machine.SetVersion(10, 0, 22631);
    machine.NativeMachine = IMAGE_FILE_MACHINE_AMD64;
    const std::string version = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    registry.SetString(version, "EditionID", "Professional");
    registry.SetString(version, "DisplayVersion", "23H2");
    registry.SetDword(version, "UBR", 4460);
    const std::string adapters = "SYSTEM\\CurrentControlSet\\Control\\Class\\{4d36e968-e325-11ce-bfc1-08002be10318}";
    registry.Keys[adapters];
    registry.SetString(adapters + "\\0000", "MatchingDeviceId", "pci\\ven_10de&dev_249d");
    registry.SetQword(adapters + "\\0000", "HardwareInformation.qwMemorySize", 8ULL << 30);
    TFakeGpu gpu;
    gpu.Description = L"NVIDIA GeForce RTX 3070";
    gpu.VendorId = 0x10DE;
    gpu.DeviceId = 0x249D;
    gpu.DedicatedVideoMemory = 8ULL << 30;
    gpu.DriverVersion = 0x001F0000000F0E27LL;
    gpu.FeatureLevel = D3D_FEATURE_LEVEL_12_1;
    gpu.ShaderModel = 0x66;
    gpu.Displays.resize(2);
    gpu.Displays[0].Primary = true;
    gpu.Displays[0].Rates = {144};
    gpu.Displays[0].Hdr = 0;
    gpu.Displays[0].MonitorName = L"LG ULTRAGEAR";
    gpu.Displays[1].Name = L"\\\\.\\DISPLAY2";
    gpu.Displays[1].Desktop.left = 1920;
    machine.Gpus = {gpu, gpu};
    machine.Gpus[1].Displays.clear();
    // Today's graphics calls: preferences, Direct3D, the display configuration and the device list.
    machine.Graphics();
    machine.HighPerformance = 1;
    machine.MinimumPower = 0;
    machine.Devices.resize(2);
    for (size_t at = 0; at < machine.Devices.size(); ++at) {
        const std::string key = "000" + std::to_string(at);
        machine.Devices[at].Name = L"NVIDIA GeForce RTX 3070";
        machine.Devices[at].Driver = L"{4d36e968-e325-11ce-bfc1-08002be10318}\\" + std::wstring(key.begin(), key.end());
        registry.SetString(adapters + "\\" + key, "DriverVersion", "31.0.15.3623");
        registry.SetString(adapters + "\\" + key, "DriverDate", "6-28-2023");
    }
    machine.Devices[1].Status = DN_HAS_PROBLEM;
    machine.Devices[1].Problem = 43;
    // What a game needs: every call of it, two products, a crash after a record too large for the first read.
    machine.Prerequisites();
    registry.Leaves[0] = {7, 0, 0, 0};
    registry.Leaves[1] = {0, 0, 0x18000000, 0};  // AVX, OSXSAVE
    registry.Xcr0 = 0x7;
    registry.SetDword("SYSTEM\\CurrentControlSet\\Control\\SecureBoot\\State", "UEFISecureBootEnabled", 1);
    registry.SetDword("SOFTWARE\\WOW6432Node\\Microsoft\\VisualStudio\\14.0\\VC\\Runtimes\\X86", "Installed", 1);
    registry.SetDword("SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v4\\Full", "Release", 528040);
    machine.SecurityProducts = {{L"Windows Defender", 0x61100}, {L"ESET Security", 0x41010}};
    machine.SystemFiles = {L"d3dx9_43.dll"};
    TFakeEvent crash;
    crash.Time = TFakePrerequisites::NowSeconds - 3600;
    crash.Strings = {L"game.exe", L"1.0", L"0", L"nvwgf2um.dll", L"31.0.15.3623", L"0", L"c0000005", L"0012ab34"};
    TFakeEvent large = crash;
    large.Padding = 0x20000;
    machine.Events = {large, crash};
}

Lines RunCurrent(TFakeCurrentSystem& machine, TFakeSystem& registry, const OsVersionRecord& version)
{
    TCurrentSystemInfo info(machine, registry, registry);
    EXPECT_NO_THROW(info.Collect(version));
    CheckElements(info, "Current system information:\n");
    EXPECT_EQ("\n", info.GetLines().back());
    CheckBooks(machine, registry);
    // The thread's DPI awareness is what it was, whatever failed.
    if (machine.Awareness.size() > 1) {
        EXPECT_EQ(DPI_AWARENESS_CONTEXT_UNAWARE, machine.Awareness.back());
    }
    EXPECT_LE(machine.Awareness.size(), 2u);
    return LinesOf(info);
}
