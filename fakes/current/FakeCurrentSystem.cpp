#include "fakes/current/FakeCurrentSystem.h"

#include <shellscalingapi.h>

#include <cwchar>

namespace {

TFakeCurrentSystem& Machine() { return TFakeCurrentSystem::Current(); }

// A monitor handle names its adapter and output.
HMONITOR MonitorOf(size_t gpu, size_t display) { return reinterpret_cast<HMONITOR>(0x10000 + gpu * 0x100 + display); }

const TFakeDisplay* DisplayOf(HMONITOR monitor)
{
    const size_t index = reinterpret_cast<size_t>(monitor) - 0x10000;
    const size_t gpu = index / 0x100;
    const size_t display = index % 0x100;
    const std::vector<TFakeGpu>& gpus = Machine().Gpus;
    if (gpu >= gpus.size() || display >= gpus[gpu].Displays.size()) return nullptr;
    return &gpus[gpu].Displays[display];
}

// DXGI's figure as this build's process is told it.
SIZE_T Told(ULONGLONG bytes) { return bytes > SIZE_T(-1) ? SIZE_T(-1) : static_cast<SIZE_T>(bytes); }

// Only a 32-bit program on 64-bit Windows runs under WOW64.
bool Wow64()
{
    return Machine().ProgramMachine == IMAGE_FILE_MACHINE_I386 && Machine().NativeMachine != IMAGE_FILE_MACHINE_I386;
}

template <size_t Size>
void CopyText(WCHAR (&field)[Size], const std::wstring& text)
{
    // Fills the field without a terminator when the text is as long as it.
    const size_t length = text.size() < Size ? text.size() : Size;
    wmemcpy(field, text.data(), length);
    if (length < Size) field[length] = L'\0';
}

// IUnknown and IDXGIObject for every fake DXGI object: counted references,
// and the object gone with its last one.
template <typename Interface>
class TFakeDxgiObject : public Interface {
public:
    TFakeDxgiObject() { ++Machine().LiveObjects; }
    virtual ~TFakeDxgiObject() { --Machine().LiveObjects; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++References; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --References;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE SetPrivateData(REFGUID, UINT, const void*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetPrivateDataInterface(REFGUID, const IUnknown*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPrivateData(REFGUID, UINT*, void*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetParent(REFIID, void**) override { return E_NOTIMPL; }

private:
    ULONG References = 1;
};

class TFakeOutput : public TFakeDxgiObject<IDXGIOutput> {
public:
    TFakeOutput(size_t gpu, size_t display) : Gpu(gpu), Display(display) {}
    HRESULT STDMETHODCALLTYPE GetDesc(DXGI_OUTPUT_DESC* desc) override
    {
        if (FaultPlan.Fails("IDXGIOutput::GetDesc")) return E_FAIL;
        const TFakeDisplay& display = Machine().Gpus[Gpu].Displays[Display];
        CopyText(desc->DeviceName, display.Name);
        desc->DesktopCoordinates = display.Desktop;
        desc->AttachedToDesktop = display.Attached;
        desc->Rotation = DXGI_MODE_ROTATION_IDENTITY;
        desc->Monitor = MonitorOf(Gpu, Display);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDisplayModeList(DXGI_FORMAT, UINT, UINT*, DXGI_MODE_DESC*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FindClosestMatchingMode(const DXGI_MODE_DESC*, DXGI_MODE_DESC*, IUnknown*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE WaitForVBlank() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TakeOwnership(IUnknown*, WINBOOL) override { return E_NOTIMPL; }
    void STDMETHODCALLTYPE ReleaseOwnership() override {}
    HRESULT STDMETHODCALLTYPE GetGammaControlCapabilities(DXGI_GAMMA_CONTROL_CAPABILITIES*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetGammaControl(const DXGI_GAMMA_CONTROL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetGammaControl(DXGI_GAMMA_CONTROL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetDisplaySurface(IDXGISurface*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDisplaySurfaceData(IDXGISurface*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFrameStatistics(DXGI_FRAME_STATISTICS*) override { return E_NOTIMPL; }

private:
    const size_t Gpu;
    const size_t Display;
};

class TFakeAdapter : public TFakeDxgiObject<IDXGIAdapter1> {
public:
    explicit TFakeAdapter(size_t gpu) : Gpu(gpu) {}
    HRESULT STDMETHODCALLTYPE EnumOutputs(UINT index, IDXGIOutput** output) override
    {
        *output = nullptr;
        if (FaultPlan.Fails("IDXGIAdapter::EnumOutputs")) return E_FAIL;
        if (index >= Machine().Gpus[Gpu].Displays.size()) return Machine().Gpus[Gpu].OutputsEnd;
        *output = new TFakeOutput(Gpu, index);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDesc(DXGI_ADAPTER_DESC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CheckInterfaceSupport(REFGUID guid, LARGE_INTEGER* version) override
    {
        if (FaultPlan.Fails("IDXGIAdapter::CheckInterfaceSupport")) return E_FAIL;
        const LONGLONG driver = Machine().Gpus[Gpu].DriverVersion;
        if (guid != __uuidof(IDXGIDevice) || driver == 0) return DXGI_ERROR_UNSUPPORTED;
        version->QuadPart = driver;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDesc1(DXGI_ADAPTER_DESC1* desc) override
    {
        if (FaultPlan.Fails("IDXGIAdapter1::GetDesc1")) return E_FAIL;
        const TFakeGpu& gpu = Machine().Gpus[Gpu];
        CopyText(desc->Description, gpu.Description);
        desc->VendorId = gpu.VendorId;
        desc->DeviceId = gpu.DeviceId;
        desc->SubSysId = gpu.SubSysId;
        desc->Revision = gpu.Revision;
        desc->DedicatedVideoMemory = Told(gpu.DedicatedVideoMemory);
        desc->DedicatedSystemMemory = Told(gpu.DedicatedSystemMemory);
        desc->SharedSystemMemory = Told(gpu.SharedSystemMemory);
        desc->Flags = gpu.Flags;
        return S_OK;
    }

private:
    const size_t Gpu;
};

class TFakeFactory : public TFakeDxgiObject<IDXGIFactory1> {
public:
    HRESULT STDMETHODCALLTYPE EnumAdapters(UINT, IDXGIAdapter**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE MakeWindowAssociation(HWND, UINT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetWindowAssociation(HWND*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateSwapChain(IUnknown*, DXGI_SWAP_CHAIN_DESC*, IDXGISwapChain**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateSoftwareAdapter(HMODULE, IDXGIAdapter**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumAdapters1(UINT index, IDXGIAdapter1** adapter) override
    {
        *adapter = nullptr;
        if (FaultPlan.Fails("IDXGIFactory1::EnumAdapters1")) return E_FAIL;
        if (index >= Machine().Gpus.size()) return Machine().AdaptersEnd;
        *adapter = new TFakeAdapter(index);
        return S_OK;
    }
    WINBOOL STDMETHODCALLTYPE IsCurrent() override { return TRUE; }
};

LONG WINAPI FakeRtlGetVersion(PRTL_OSVERSIONINFOW version)
{
    if (FaultPlan.Fails("RtlGetVersion")) return static_cast<LONG>(0xC0000001);  // STATUS_UNSUCCESSFUL
    if (version->dwOSVersionInfoSize != sizeof(RTL_OSVERSIONINFOEXW)) return static_cast<LONG>(0xC000000D);
    *reinterpret_cast<RTL_OSVERSIONINFOEXW*>(version) = Machine().Version;
    return 0;
}

BOOL WINAPI FakeIsWow64Process2(HANDLE, USHORT* process, USHORT* native)
{
    if (FaultPlan.Fails("IsWow64Process2")) return FALSE;
    // UNKNOWN for any program WOW64 does not run, an emulated x64 one too.
    *process = Wow64() ? Machine().ProgramMachine : IMAGE_FILE_MACHINE_UNKNOWN;
    *native = Machine().NativeMachine;
    return TRUE;
}

BOOL WINAPI FakeIsWow64Process(HANDLE, PBOOL wow64)
{
    if (FaultPlan.Fails("IsWow64Process")) return FALSE;
    *wow64 = Wow64();
    return TRUE;
}

BOOL WINAPI FakeGetProcessInformation(HANDLE, PROCESS_INFORMATION_CLASS type, LPVOID information, DWORD size)
{
    if (FaultPlan.Fails("GetProcessInformation")) return FALSE;
    if (type != ProcessMachineTypeInfo || size != sizeof(PROCESS_MACHINE_INFORMATION)) return FALSE;
    PROCESS_MACHINE_INFORMATION machine = {};
    machine.ProcessMachine = Machine().ProgramMachine;
    machine.MachineAttributes = static_cast<MACHINE_ATTRIBUTES>(UserEnabled | (Wow64() ? Wow64Container : 0));
    CopyMemory(information, &machine, sizeof(machine));
    return TRUE;
}

BOOL WINAPI FakeGetSystemPowerStatus(LPSYSTEM_POWER_STATUS status)
{
    if (FaultPlan.Fails("GetSystemPowerStatus")) return FALSE;
    *status = Machine().Power;
    return TRUE;
}

DPI_AWARENESS_CONTEXT WINAPI FakeSetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT context)
{
    if (FaultPlan.Fails("SetThreadDpiAwarenessContext")) return nullptr;
    std::vector<DPI_AWARENESS_CONTEXT>& given = Machine().Awareness;
    const DPI_AWARENESS_CONTEXT previous = given.empty() ? DPI_AWARENESS_CONTEXT_UNAWARE : given.back();
    given.push_back(context);
    return previous;
}

HRESULT WINAPI FakeGetDpiForMonitor(HMONITOR monitor, MONITOR_DPI_TYPE type, UINT* x, UINT* y)
{
    if (FaultPlan.Fails("GetDpiForMonitor")) return E_FAIL;
    const TFakeDisplay* display = DisplayOf(monitor);
    TFakeCurrentSystem& machine = Machine();
    if (type != MDT_EFFECTIVE_DPI || display == nullptr) return E_INVALIDARG;
    const UINT dpi = display->Dpi;
    if (dpi == 0) return E_FAIL;
    // A thread that is not per-monitor aware is told 96 everywhere.
    const bool aware = !machine.Awareness.empty() && machine.Awareness.back() == DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE;
    *x = *y = aware ? dpi : USER_DEFAULT_SCREEN_DPI;
    return S_OK;
}

HRESULT WINAPI FakeCreateDXGIFactory1(REFIID id, void** factory)
{
    *factory = nullptr;
    if (FaultPlan.Fails("CreateDXGIFactory1")) return E_FAIL;
    if (id != __uuidof(IDXGIFactory1)) return E_NOINTERFACE;
    *factory = static_cast<IDXGIFactory1*>(new TFakeFactory);
    return S_OK;
}

}  // namespace

TFakeCurrentSystem::TFakeCurrentSystem()
{
    Provide("ntdll.dll", reinterpret_cast<HMODULE>(0x7c900000),
            {{"RtlGetVersion", FunctionCast<FARPROC>(&FakeRtlGetVersion)}});
    Provide("kernel32.dll", FakeKernel32,
            {{"IsWow64Process2", FunctionCast<FARPROC>(&FakeIsWow64Process2)},
             {"IsWow64Process", FunctionCast<FARPROC>(&FakeIsWow64Process)},
             {"GetSystemPowerStatus", FunctionCast<FARPROC>(&FakeGetSystemPowerStatus)},
             {"GetProcessInformation", FunctionCast<FARPROC>(&FakeGetProcessInformation)}});
    Provide("user32.dll", reinterpret_cast<HMODULE>(0x7e410000),
            {{"SetThreadDpiAwarenessContext", FunctionCast<FARPROC>(&FakeSetThreadDpiAwarenessContext)}});
    Provide("shcore.dll", reinterpret_cast<HMODULE>(0x6f000000),
            {{"GetDpiForMonitor", FunctionCast<FARPROC>(&FakeGetDpiForMonitor)}});
    Provide("dxgi.dll", reinterpret_cast<HMODULE>(0x6e000000),
            {{"CreateDXGIFactory1", FunctionCast<FARPROC>(&FakeCreateDXGIFactory1)}});
    SetVersion(10, 0, 19045);
}

void TFakeCurrentSystem::SetVersion(DWORD major, DWORD minor, DWORD build, BYTE productType)
{
    Version = {};
    Version.dwOSVersionInfoSize = sizeof(Version);
    Version.dwMajorVersion = major;
    Version.dwMinorVersion = minor;
    Version.dwBuildNumber = build;
    Version.dwPlatformId = VER_PLATFORM_WIN32_NT;
    Version.wProductType = productType;
}

HMODULE TFakeCurrentSystem::GetModuleHandleA(LPCSTR name)
{
    return FaultPlan.Fails("GetModuleHandleA") ? nullptr : Module(name);
}

BOOL TFakeCurrentSystem::EnumDisplaySettingsW(LPCWSTR device, DWORD mode, DEVMODEW* settings)
{
    ModesAsked.push_back(device);
    if (FaultPlan.Fails("EnumDisplaySettingsW") || mode != ENUM_CURRENT_SETTINGS || settings->dmSize != sizeof(DEVMODEW))
        return FALSE;
    for (const TFakeGpu& gpu : Gpus)
        for (const TFakeDisplay& display : gpu.Displays)
            // The name as DXGI's field holds it.
            if (display.Name.substr(0, 32) == device && display.HasMode) {
                settings->dmPelsWidth = display.Width;
                settings->dmPelsHeight = display.Height;
                settings->dmDisplayFrequency = display.Refresh;
                return TRUE;
            }
    return FALSE;
}

HDC TFakeCurrentSystem::GetDC(HWND)
{
    if (FaultPlan.Fails("GetDC")) return nullptr;
    ++DcsHeld;
    return reinterpret_cast<HDC>(0x5dc);
}

int TFakeCurrentSystem::ReleaseDC(HWND, HDC dc)
{
    if (dc == reinterpret_cast<HDC>(0x5dc)) --DcsHeld;
    return 1;
}

int TFakeCurrentSystem::GetDeviceCaps(HDC, int index) { return index == LOGPIXELSX ? SystemDpi : 0; }

BOOL TFakeCurrentSystem::GetMonitorInfoW(HMONITOR monitor, LPMONITORINFO info)
{
    const TFakeDisplay* display = DisplayOf(monitor);
    if (FaultPlan.Fails("GetMonitorInfoW") || display == nullptr || info->cbSize < sizeof(MONITORINFO)) return FALSE;
    info->rcMonitor = info->rcWork = display->Desktop;
    info->dwFlags = display->Primary ? MONITORINFOF_PRIMARY : 0;
    return TRUE;
}
