#include <dxgi1_6.h>

#include <optional>
#include <set>

#include "info/ComRef.h"
#include "info/Registry.h"
#include "info/SystemLibrary.h"
#include "info/WideText.h"
#include "info/current/CurrentFunctions.h"
#include "info/current/CurrentSystemInfo.h"

namespace {

// No machine has more; a list that never ends is cut here.
const UINT AdapterLimit = 64;
const UINT OutputLimit = 64;
const DWORD ModeLimit = 4096;

// Newest first; 12_2 is newer than the headers.
const D3D_FEATURE_LEVEL FeatureLevels[] = {
    D3D_FEATURE_LEVEL(0xc200),  D3D_FEATURE_LEVEL_12_1, D3D_FEATURE_LEVEL_12_0, D3D_FEATURE_LEVEL_11_1,
    D3D_FEATURE_LEVEL_11_0,     D3D_FEATURE_LEVEL_10_1, D3D_FEATURE_LEVEL_10_0, D3D_FEATURE_LEVEL_9_3,
    D3D_FEATURE_LEVEL_9_2,      D3D_FEATURE_LEVEL_9_1};
const size_t FeatureLevelCount = sizeof(FeatureLevels) / sizeof(FeatureLevels[0]);
// Every Direct3D 12 device is 11_0 or better.
const size_t Direct3D12LevelCount = 5;
// Direct3D 12's shader models, newest first: 6.9 down to 5.1.
const UINT ShaderModels[] = {0x69, 0x68, 0x67, 0x66, 0x65, 0x64, 0x63, 0x62, 0x61, 0x60, 0x51};

// The thread reads displays as a per-monitor aware one where Windows lets it:
// a DPI-unaware thread is told 96 dots per inch on every monitor.
class TPerMonitorAwareness {
public:
    explicit TPerMonitorAwareness(TCurrentSystemApi& api)
        : SetAwareness(FindFunction<User32::SetThreadDpiAwarenessContext>(TLoadedModule(api, "user32.dll"))),
          Previous(SetAwareness != nullptr ? SetAwareness(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE) : nullptr)
    {
    }
    ~TPerMonitorAwareness()
    {
        if (Previous != nullptr) SetAwareness(Previous);
    }
    bool Made() const { return Previous != nullptr; }
    TPerMonitorAwareness(const TPerMonitorAwareness&) = delete;
    TPerMonitorAwareness& operator=(const TPerMonitorAwareness&) = delete;

private:
    const User32::SetThreadDpiAwarenessContext::Type SetAwareness;
    const DPI_AWARENESS_CONTEXT Previous;
};

}  // namespace

MemoryFigure DxgiMemory(SIZE_T bytes)
{
    MemoryFigure figure;
    figure.Bytes = bytes;
    // A 32-bit process is given at most 4 GiB - 1, and some drivers cut at 4095 MB.
    figure.AtLeast = sizeof(SIZE_T) == 4 && bytes >= 0xFFF00000u;
    return figure;
}

// What every adapter is read with, found once for the whole list.
struct TCurrentSystemInfo::AdapterCalls {
    Shcore::GetDpiForMonitor::Type GetDpi = nullptr;
    bool PerMonitor = false;
    D3d11::D3D11CreateDevice::Type CreateDevice11 = nullptr;
    D3d12::D3D12CreateDevice::Type CreateDevice12 = nullptr;
};

bool TCurrentSystemInfo::ReadAdapters()
{
    TSystemLibrary dxgi(Api, "dxgi.dll");
    const auto create = FindFunction<Dxgi::CreateDXGIFactory1>(dxgi);
    if (create == nullptr) return false;
    // Direct3D works through DXGI's objects: its libraries stay loaded until they are released.
    TSystemLibrary d3d11(Api, "d3d11.dll");
    // Wine's d3d12 ends the process where no Vulkan driver is installed: it is not asked there.
    std::optional<TSystemLibrary> d3d12;
    if (!UnderWine()) d3d12.emplace(Api, "d3d12.dll");
    // Released before its library is freed.
    TComRef<IDXGIFactory1> factory;
    if (FAILED(create(__uuidof(IDXGIFactory1), reinterpret_cast<void**>(factory.Receive()))) ||
        factory.Get() == nullptr)
        return false;

    TSystemLibrary shcore(Api, "shcore.dll");
    TPerMonitorAwareness aware(Api);
    AdapterCalls calls;
    calls.GetDpi = FindFunction<Shcore::GetDpiForMonitor>(shcore);
    calls.PerMonitor = aware.Made();
    calls.CreateDevice11 = FindFunction<D3d11::D3D11CreateDevice>(d3d11);
    if (d3d12) calls.CreateDevice12 = FindFunction<D3d12::D3D12CreateDevice>(*d3d12);
    for (UINT index = 0; index < AdapterLimit; ++index) {
        TComRef<IDXGIAdapter1> adapter;
        const HRESULT result = factory->EnumAdapters1(index, adapter.Receive());
        if (FAILED(result) && result != DXGI_ERROR_NOT_FOUND) Record.AdaptersFailure = result;
        if (FAILED(result) || adapter.Get() == nullptr) break;
        ReadAdapter(index, *adapter.Get(), calls);
    }
    ReadPreferences(*factory.Get());
    return true;
}

bool TCurrentSystemInfo::UnderWine()
{
    return FindFunction<Ntdll::wine_get_version>(TLoadedModule(Api, "ntdll.dll")) != nullptr;
}

void TCurrentSystemInfo::ReadPreferences(IDXGIFactory1& factory)
{
    TComRef<IDXGIFactory6> factory6;
    if (FAILED(factory.QueryInterface(__uuidof(IDXGIFactory6), reinterpret_cast<void**>(factory6.Receive()))) ||
        factory6.Get() == nullptr)
        return;
    for (const DXGI_GPU_PREFERENCE preference : {DXGI_GPU_PREFERENCE_HIGH_PERFORMANCE, DXGI_GPU_PREFERENCE_MINIMUM_POWER}) {
        TComRef<IDXGIAdapter1> first;
        DXGI_ADAPTER_DESC1 desc = {};
        if (FAILED(factory6->EnumAdapterByGpuPreference(0, preference, __uuidof(IDXGIAdapter1),
                                                        reinterpret_cast<void**>(first.Receive()))) ||
            first.Get() == nullptr || FAILED(first->GetDesc1(&desc)))
            continue;
        // The same adapter is another object each time it is listed: its LUID names it.
        for (GraphicsAdapterRecord& record : Record.Adapters) {
            if (record.Luid.LowPart != desc.AdapterLuid.LowPart || record.Luid.HighPart != desc.AdapterLuid.HighPart)
                continue;
            (preference == DXGI_GPU_PREFERENCE_HIGH_PERFORMANCE ? record.HighPerformance : record.MinimumPower) = true;
            break;
        }
    }
}

void TCurrentSystemInfo::ReadAdapter(UINT index, IDXGIAdapter1& adapter, const AdapterCalls& calls)
{
    DXGI_ADAPTER_DESC1 desc = {};
    if (FAILED(adapter.GetDesc1(&desc))) return;
    GraphicsAdapterRecord record;
    record.Index = index;
    record.Luid = desc.AdapterLuid;
    record.Description = FieldText(desc.Description);
    record.Software = (desc.Flags & DXGI_ADAPTER_FLAG_SOFTWARE) != 0;
    record.VendorId = desc.VendorId;
    record.DeviceId = desc.DeviceId;
    record.SubSysId = desc.SubSysId;
    record.Revision = desc.Revision;
    record.DedicatedVideoMemory = DxgiMemory(desc.DedicatedVideoMemory);
    record.DedicatedSystemMemory = DxgiMemory(desc.DedicatedSystemMemory);
    record.SharedSystemMemory = DxgiMemory(desc.SharedSystemMemory);
    ULONGLONG trueSize = 0;
    if (record.DedicatedVideoMemory.AtLeast && DriverMemorySize(record, trueSize) &&
        trueSize >= record.DedicatedVideoMemory.Bytes)
        record.DedicatedVideoMemory = {trueSize, false};
    record.HasDriverVersion =
        SUCCEEDED(adapter.CheckInterfaceSupport(__uuidof(IDXGIDevice), &record.DriverVersion));
    ReadDirect3D(adapter, calls, record.Direct3D);
    ReadDisplays(adapter, calls, record);
    Record.Adapters.push_back(record);
}

void TCurrentSystemInfo::ReadDirect3D(IDXGIAdapter1& adapter, const AdapterCalls& calls, Direct3DRecord& record)
{
    record.Asked = calls.CreateDevice11 != nullptr;
    // A runtime refuses a whole list that holds a level newer than itself: it is asked again
    // without the newest, down to 11_0, which every d3d11 knows. With no device asked for, d3d11
    // makes one only to answer, and releases it.
    for (size_t first = 0; record.Asked && first < FeatureLevelCount; ++first) {
        D3D_FEATURE_LEVEL level = D3D_FEATURE_LEVEL(0);
        const HRESULT result =
            calls.CreateDevice11(&adapter, D3D_DRIVER_TYPE_UNKNOWN, nullptr, 0, FeatureLevels + first,
                                 static_cast<UINT>(FeatureLevelCount - first), D3D11_SDK_VERSION, nullptr, &level, nullptr);
        if (SUCCEEDED(result)) record.FeatureLevel = level;
        if (result != E_INVALIDARG || FeatureLevels[first] == D3D_FEATURE_LEVEL_11_0) break;
    }
    if (calls.CreateDevice12 == nullptr) return;
    TComRef<ID3D12Device> device;
    if (FAILED(calls.CreateDevice12(&adapter, D3D_FEATURE_LEVEL_11_0, __uuidof(ID3D12Device),
                                    reinterpret_cast<void**>(device.Receive()))) ||
        device.Get() == nullptr)
        return;
    record.Direct3D12 = true;
    // 12_2 is Direct3D 12's own: d3d11 may not know it. Asked as d3d11 was, from 12_2 down to 11_0.
    for (size_t first = 0; FeatureLevels[first] >= D3D_FEATURE_LEVEL_11_0; ++first) {
        D3D12_FEATURE_DATA_FEATURE_LEVELS levels = {};
        levels.NumFeatureLevels = static_cast<UINT>(Direct3D12LevelCount - first);
        levels.pFeatureLevelsRequested = FeatureLevels + first;
        const HRESULT result = device->CheckFeatureSupport(D3D12_FEATURE_FEATURE_LEVELS, &levels, sizeof(levels));
        if (SUCCEEDED(result) && static_cast<UINT>(levels.MaxSupportedFeatureLevel) > record.FeatureLevel)
            record.FeatureLevel = levels.MaxSupportedFeatureLevel;
        if (result != E_INVALIDARG) break;
    }
    // Asked as the level above: an older runtime refuses a model it does not know.
    for (const UINT model : ShaderModels) {
        D3D12_FEATURE_DATA_SHADER_MODEL data = {static_cast<D3D_SHADER_MODEL>(model)};
        const HRESULT result = device->CheckFeatureSupport(D3D12_FEATURE_SHADER_MODEL, &data, sizeof(data));
        if (SUCCEEDED(result)) record.ShaderModel = data.HighestShaderModel;
        if (result != E_INVALIDARG) break;
    }
}

void TCurrentSystemInfo::ReadDisplays(IDXGIAdapter1& adapter, const AdapterCalls& calls, GraphicsAdapterRecord& record)
{
    for (UINT index = 0; index < OutputLimit; ++index) {
        TComRef<IDXGIOutput> output;
        const HRESULT result = adapter.EnumOutputs(index, output.Receive());
        if (FAILED(result) && result != DXGI_ERROR_NOT_FOUND) record.OutputsFailure = result;
        if (FAILED(result) || output.Get() == nullptr) break;
        DXGI_OUTPUT_DESC desc = {};
        if (FAILED(output->GetDesc(&desc))) continue;
        DisplayRecord display;
        display.DeviceName = FieldText(desc.DeviceName);
        // Windows marks the primary monitor; a clone puts several outputs at the desktop's origin.
        MONITORINFO monitor = {};
        monitor.cbSize = sizeof(monitor);
        display.Primary = desc.AttachedToDesktop && Api.GetMonitorInfoW(desc.Monitor, &monitor) &&
                          (monitor.dwFlags & MONITORINFOF_PRIMARY) != 0;
        WCHAR device[sizeof(desc.DeviceName) / sizeof(WCHAR) + 1] = {};
        CopyMemory(device, desc.DeviceName, sizeof(desc.DeviceName));
        DEVMODEW mode = {};
        mode.dmSize = sizeof(mode);
        if (Api.EnumDisplaySettingsW(device, ENUM_CURRENT_SETTINGS, &mode)) {
            display.HasMode = true;
            display.Width = mode.dmPelsWidth;
            display.Height = mode.dmPelsHeight;
            display.Refresh = mode.dmDisplayFrequency;
            display.PanelRefresh = PanelRefresh(device, display);
        }
        // A thread that is not per-monitor aware is told 96 for every monitor.
        UINT dpiX = 0;
        UINT dpiY = 0;
        const bool effective = calls.PerMonitor && calls.GetDpi != nullptr &&
                               SUCCEEDED(calls.GetDpi(desc.Monitor, MDT_EFFECTIVE_DPI, &dpiX, &dpiY)) && dpiX != 0;
        display.Dpi = effective ? dpiX : SystemDpi(calls.PerMonitor);
        record.Displays.push_back(display);
    }
}

DWORD TCurrentSystemInfo::PanelRefresh(const WCHAR* device, const DisplayRecord& display)
{
    DWORD highest = 0;
    for (DWORD index = 0; index < ModeLimit; ++index) {
        DEVMODEW mode = {};
        mode.dmSize = sizeof(mode);
        if (!Api.EnumDisplaySettingsW(device, index, &mode)) break;
        // An interlaced mode's rate counts fields, not frames.
        if (mode.dmPelsWidth == display.Width && mode.dmPelsHeight == display.Height &&
            (mode.dmDisplayFlags & DM_INTERLACED) == 0 && mode.dmDisplayFrequency > highest)
            highest = mode.dmDisplayFrequency;
    }
    return highest;
}

UINT TCurrentSystemInfo::SystemDpi(bool perMonitor)
{
    if (SystemDpiRead) return CachedSystemDpi;
    SystemDpiRead = true;
    const HDC screen = Api.GetDC(nullptr);
    if (screen == nullptr) return CachedSystemDpi;
    const int dpi = Api.GetDeviceCaps(screen, LOGPIXELSX);
    Api.ReleaseDC(nullptr, screen);
    // From Vista on, a DPI-unaware thread may be told 96 whatever the setting; any other figure is true.
    const bool virtualizable = !perMonitor && Record.Windows.Major >= 6 && dpi == USER_DEFAULT_SCREEN_DPI;
    if (dpi > 0 && !virtualizable) CachedSystemDpi = static_cast<UINT>(dpi);
    return CachedSystemDpi;
}

bool TCurrentSystemInfo::DriverMemorySize(const GraphicsAdapterRecord& record, ULONGLONG& bytes)
{
    // An ACPI id (above 0xFFFF) names no PCI device.
    if (record.VendorId > 0xFFFF || record.DeviceId > 0xFFFF) return false;
    TRegistry adapters(Registry);
    const std::string classKey = DisplayClassKey();
    if (!adapters.OpenKey(HKEY_LOCAL_MACHINE, classKey)) return false;
    adapters.EnumKeys();
    const std::string device =
        (boost::format("pci\\ven_%04x&dev_%04x") % record.VendorId % record.DeviceId).str();
    // Two cards of one model may differ: a size is taken only when every match agrees.
    std::set<ULONGLONG> sizes;
    for (const std::string& name : adapters.SubKeys) {
        TRegistry driver(Registry);
        if (!driver.OpenKey(HKEY_LOCAL_MACHINE, classKey + "\\" + name)) continue;
        if (!driver.ReadValue("MatchingDeviceId") || driver.ValueType != REG_SZ) continue;
        const std::string id = LowerAscii(driver.DataText());
        if (id.compare(0, device.size(), device) != 0) continue;
        ULONGLONG size = 0;
        if (driver.ReadValue("HardwareInformation.qwMemorySize") && driver.ValueType == REG_QWORD &&
            driver.DataSize == sizeof(size)) {
            CopyMemory(&size, driver.Data, sizeof(size));
            sizes.insert(size);
        }
    }
    if (sizes.size() != 1) return false;
    bytes = *sizes.begin();
    return true;
}
