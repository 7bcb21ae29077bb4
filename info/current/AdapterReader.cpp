#include <cwchar>
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

template <size_t Size>
std::string WideField(const WCHAR (&field)[Size])
{
    return Cp932Text(std::wstring(field, wcsnlen(field, Size)));
}

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

bool TCurrentSystemInfo::ReadAdapters()
{
    TSystemLibrary dxgi(Api, "dxgi.dll");
    const auto create = FindFunction<Dxgi::CreateDXGIFactory1>(dxgi);
    if (create == nullptr) return false;
    // Released before its library is freed.
    TComRef<IDXGIFactory1> factory;
    if (FAILED(create(__uuidof(IDXGIFactory1), reinterpret_cast<void**>(factory.Receive()))) ||
        factory.Get() == nullptr)
        return false;

    TSystemLibrary shcore(Api, "shcore.dll");
    const auto getDpi = FindFunction<Shcore::GetDpiForMonitor>(shcore);
    TPerMonitorAwareness aware(Api);
    for (UINT index = 0; index < AdapterLimit; ++index) {
        TComRef<IDXGIAdapter1> adapter;
        const HRESULT result = factory->EnumAdapters1(index, adapter.Receive());
        if (FAILED(result) && result != DXGI_ERROR_NOT_FOUND) AdaptersFailure = result;
        if (FAILED(result) || adapter.Get() == nullptr) break;
        ReadAdapter(index, *adapter.Get(), getDpi, aware.Made());
    }
    return true;
}

void TCurrentSystemInfo::ReadAdapter(UINT index, IDXGIAdapter1& adapter, Shcore::GetDpiForMonitor::Type getDpi,
                                     bool perMonitor)
{
    DXGI_ADAPTER_DESC1 desc = {};
    if (FAILED(adapter.GetDesc1(&desc))) return;
    GraphicsAdapterRecord record;
    record.Index = index;
    record.Description = WideField(desc.Description);
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
    ReadDisplays(adapter, getDpi, perMonitor, record);
    Adapters.push_back(record);
}

void TCurrentSystemInfo::ReadDisplays(IDXGIAdapter1& adapter, Shcore::GetDpiForMonitor::Type getDpi, bool perMonitor,
                                      GraphicsAdapterRecord& record)
{
    for (UINT index = 0; index < OutputLimit; ++index) {
        TComRef<IDXGIOutput> output;
        const HRESULT result = adapter.EnumOutputs(index, output.Receive());
        if (FAILED(result) && result != DXGI_ERROR_NOT_FOUND) record.OutputsFailure = result;
        if (FAILED(result) || output.Get() == nullptr) break;
        DXGI_OUTPUT_DESC desc = {};
        if (FAILED(output->GetDesc(&desc))) continue;
        DisplayRecord display;
        display.DeviceName = WideField(desc.DeviceName);
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
        }
        // A thread that is not per-monitor aware is told 96 for every monitor.
        UINT dpiX = 0;
        UINT dpiY = 0;
        const bool effective = perMonitor && getDpi != nullptr &&
                               SUCCEEDED(getDpi(desc.Monitor, MDT_EFFECTIVE_DPI, &dpiX, &dpiY)) && dpiX != 0;
        display.Dpi = effective ? dpiX : SystemDpi(perMonitor);
        record.Displays.push_back(display);
    }
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
    const bool virtualizable = !perMonitor && Windows.Major >= 6 && dpi == USER_DEFAULT_SCREEN_DPI;
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
        std::string id = driver.DataText();
        for (char& c : id)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
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
