#include "fakes/current/FakeCurrentSystem.h"
#include "fakes/current/FakeCounted.h"

#include <d3d11.h>
#include <d3d12.h>
#include <dxgi1_6.h>
#include <setupapi.h>
#include <cfgmgr32.h>
#include <devguid.h>
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

// DXGI's and Direct3D 12's objects also keep private data, which no fake needs.
template <typename Interface>
class TFakeObject : public TFakeCounted<Interface> {
public:
    HRESULT STDMETHODCALLTYPE SetPrivateData(REFGUID, UINT, const void*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetPrivateDataInterface(REFGUID, const IUnknown*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPrivateData(REFGUID, UINT*, void*) override { return E_NOTIMPL; }
};

template <typename Interface>
class TFakeDxgiObject : public TFakeObject<Interface> {
public:
    HRESULT STDMETHODCALLTYPE GetParent(REFIID, void**) override { return E_NOTIMPL; }
};

// A Direct3D 12 device that answers only which shader model it has.
class TFakeDevice12 : public TFakeObject<ID3D12Device> {
public:
    explicit TFakeDevice12(size_t gpu) : Gpu(gpu) { ++Machine().Direct3D12Devices; }
    HRESULT STDMETHODCALLTYPE CheckFeatureSupport(D3D12_FEATURE feature, void* data, UINT size) override
    {
        if (FaultPlan.Fails("ID3D12Device::CheckFeatureSupport")) return E_FAIL;
        if (feature == D3D12_FEATURE_FEATURE_LEVELS && size == sizeof(D3D12_FEATURE_DATA_FEATURE_LEVELS))
            return FeatureLevels(*static_cast<D3D12_FEATURE_DATA_FEATURE_LEVELS*>(data));
        if (feature != D3D12_FEATURE_SHADER_MODEL || size != sizeof(D3D12_FEATURE_DATA_SHADER_MODEL))
            return E_INVALIDARG;
        auto& model = *static_cast<D3D12_FEATURE_DATA_SHADER_MODEL*>(data);
        if (static_cast<UINT>(model.HighestShaderModel) > Machine().NewestShaderModel) return E_INVALIDARG;
        const UINT own = Machine().Gpus[Gpu].ShaderModel;
        if (own < static_cast<UINT>(model.HighestShaderModel)) model.HighestShaderModel = static_cast<D3D_SHADER_MODEL>(own);
        return S_OK;
    }
    HRESULT FeatureLevels(D3D12_FEATURE_DATA_FEATURE_LEVELS& levels) const
    {
        if (levels.NumFeatureLevels == 0 || levels.pFeatureLevelsRequested == nullptr) return E_INVALIDARG;
        UINT highest = 0;
        for (UINT at = 0; at < levels.NumFeatureLevels; ++at) {
            const UINT level = static_cast<UINT>(levels.pFeatureLevelsRequested[at]);
            if (level > Machine().NewestFeatureLevel) return E_INVALIDARG;
            if (level <= Machine().Gpus[Gpu].FeatureLevel && level > highest) highest = level;
        }
        if (highest == 0) return DXGI_ERROR_UNSUPPORTED;
        levels.MaxSupportedFeatureLevel = static_cast<D3D_FEATURE_LEVEL>(highest);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetName(const WCHAR*) override { return E_NOTIMPL; }
    UINT STDMETHODCALLTYPE GetNodeCount() override { return {}; }
    HRESULT STDMETHODCALLTYPE CreateCommandQueue(const D3D12_COMMAND_QUEUE_DESC *, REFIID, void **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateCommandAllocator(D3D12_COMMAND_LIST_TYPE, REFIID, void **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateGraphicsPipelineState(const D3D12_GRAPHICS_PIPELINE_STATE_DESC *, REFIID, void **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateComputePipelineState(const D3D12_COMPUTE_PIPELINE_STATE_DESC *, REFIID, void **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateCommandList(UINT, D3D12_COMMAND_LIST_TYPE, ID3D12CommandAllocator *, ID3D12PipelineState *, REFIID, void **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateDescriptorHeap(const D3D12_DESCRIPTOR_HEAP_DESC *, REFIID, void **) override { return E_NOTIMPL; }
    UINT STDMETHODCALLTYPE GetDescriptorHandleIncrementSize(D3D12_DESCRIPTOR_HEAP_TYPE) override { return {}; }
    HRESULT STDMETHODCALLTYPE CreateRootSignature(UINT, const void *, SIZE_T, REFIID, void **) override { return E_NOTIMPL; }
    void STDMETHODCALLTYPE CreateConstantBufferView(const D3D12_CONSTANT_BUFFER_VIEW_DESC *, D3D12_CPU_DESCRIPTOR_HANDLE) override {}
    void STDMETHODCALLTYPE CreateShaderResourceView(ID3D12Resource *, const D3D12_SHADER_RESOURCE_VIEW_DESC *, D3D12_CPU_DESCRIPTOR_HANDLE) override {}
    void STDMETHODCALLTYPE CreateUnorderedAccessView(ID3D12Resource *, ID3D12Resource *, const D3D12_UNORDERED_ACCESS_VIEW_DESC *, D3D12_CPU_DESCRIPTOR_HANDLE) override {}
    void STDMETHODCALLTYPE CreateRenderTargetView(ID3D12Resource *, const D3D12_RENDER_TARGET_VIEW_DESC *, D3D12_CPU_DESCRIPTOR_HANDLE) override {}
    void STDMETHODCALLTYPE CreateDepthStencilView(ID3D12Resource *, const D3D12_DEPTH_STENCIL_VIEW_DESC *, D3D12_CPU_DESCRIPTOR_HANDLE) override {}
    void STDMETHODCALLTYPE CreateSampler(const D3D12_SAMPLER_DESC *, D3D12_CPU_DESCRIPTOR_HANDLE) override {}
    void STDMETHODCALLTYPE CopyDescriptors(UINT, const D3D12_CPU_DESCRIPTOR_HANDLE *, const UINT *, UINT, const D3D12_CPU_DESCRIPTOR_HANDLE *, const UINT *, D3D12_DESCRIPTOR_HEAP_TYPE) override {}
    void STDMETHODCALLTYPE CopyDescriptorsSimple(UINT, const D3D12_CPU_DESCRIPTOR_HANDLE, const D3D12_CPU_DESCRIPTOR_HANDLE, D3D12_DESCRIPTOR_HEAP_TYPE) override {}
    // The header's explicit form of the methods that return a structure.
    D3D12_RESOURCE_ALLOCATION_INFO* STDMETHODCALLTYPE GetResourceAllocationInfo(D3D12_RESOURCE_ALLOCATION_INFO* info, UINT, UINT, const D3D12_RESOURCE_DESC*) override { return info; }
    D3D12_HEAP_PROPERTIES* STDMETHODCALLTYPE GetCustomHeapProperties(D3D12_HEAP_PROPERTIES* properties, UINT, D3D12_HEAP_TYPE) override { return properties; }
    HRESULT STDMETHODCALLTYPE CreateCommittedResource(const D3D12_HEAP_PROPERTIES *, D3D12_HEAP_FLAGS, const D3D12_RESOURCE_DESC *, D3D12_RESOURCE_STATES, const D3D12_CLEAR_VALUE *, REFIID, void **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateHeap(const D3D12_HEAP_DESC *, REFIID, void **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreatePlacedResource(ID3D12Heap *, UINT64, const D3D12_RESOURCE_DESC *, D3D12_RESOURCE_STATES, const D3D12_CLEAR_VALUE *, REFIID, void **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateReservedResource(const D3D12_RESOURCE_DESC *, D3D12_RESOURCE_STATES, const D3D12_CLEAR_VALUE *, REFIID, void **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateSharedHandle(ID3D12DeviceChild *, const SECURITY_ATTRIBUTES *, DWORD, const WCHAR *, HANDLE *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OpenSharedHandle(HANDLE, REFIID, void **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OpenSharedHandleByName(const WCHAR *, DWORD, HANDLE *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE MakeResident(UINT, ID3D12Pageable *const *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Evict(UINT, ID3D12Pageable *const *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateFence(UINT64, D3D12_FENCE_FLAGS, REFIID, void **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDeviceRemovedReason() override { return E_NOTIMPL; }
    void STDMETHODCALLTYPE GetCopyableFootprints(const D3D12_RESOURCE_DESC *, UINT, UINT, UINT64, D3D12_PLACED_SUBRESOURCE_FOOTPRINT *, UINT *, UINT64 *, UINT64 *) override {}
    HRESULT STDMETHODCALLTYPE CreateQueryHeap(const D3D12_QUERY_HEAP_DESC *, REFIID, void **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetStablePowerState(WINBOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateCommandSignature(const D3D12_COMMAND_SIGNATURE_DESC *, ID3D12RootSignature *, REFIID, void **) override { return E_NOTIMPL; }
    void STDMETHODCALLTYPE GetResourceTiling(ID3D12Resource *, UINT *, D3D12_PACKED_MIP_INFO *, D3D12_TILE_SHAPE *, UINT *, UINT, D3D12_SUBRESOURCE_TILING *) override {}
    LUID* STDMETHODCALLTYPE GetAdapterLuid(LUID* luid) override { return luid; }


private:
    const size_t Gpu;
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
    static LUID Luid(size_t gpu) { return {static_cast<DWORD>(0x1000 + gpu), 0}; }
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
        desc->AdapterLuid = Luid(Gpu);
        return S_OK;
    }

    const size_t Gpu;
};

class TFakeFactory : public TFakeDxgiObject<IDXGIFactory6> {
public:
    TFakeFactory() { ++Machine().Factories; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override
    {
        *object = nullptr;
        if (FaultPlan.Fails("IDXGIFactory1::QueryInterface")) return E_FAIL;
        if (id != __uuidof(IDXGIFactory6) || !Machine().Dxgi16) return E_NOINTERFACE;
        AddRef();
        *object = static_cast<IDXGIFactory6*>(this);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumAdapterByGpuPreference(UINT index, DXGI_GPU_PREFERENCE preference, REFIID id,
                                                         void** adapter) override
    {
        *adapter = nullptr;
        if (FaultPlan.Fails("IDXGIFactory6::EnumAdapterByGpuPreference")) return E_FAIL;
        const int first = preference == DXGI_GPU_PREFERENCE_HIGH_PERFORMANCE ? Machine().HighPerformance
                          : preference == DXGI_GPU_PREFERENCE_MINIMUM_POWER  ? Machine().MinimumPower
                                                                             : -1;
        if (id != __uuidof(IDXGIAdapter1)) return E_NOINTERFACE;
        if (index != 0 || first < 0) return DXGI_ERROR_NOT_FOUND;
        *adapter = static_cast<IDXGIAdapter1*>(new TFakeAdapter(static_cast<size_t>(first)));
        return S_OK;
    }
    WINBOOL STDMETHODCALLTYPE IsWindowedStereoEnabled() override { return {}; }
    HRESULT STDMETHODCALLTYPE CreateSwapChainForHwnd(IUnknown *, HWND, const DXGI_SWAP_CHAIN_DESC1 *, const DXGI_SWAP_CHAIN_FULLSCREEN_DESC *, IDXGIOutput *, IDXGISwapChain1 **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateSwapChainForCoreWindow(IUnknown *, IUnknown *, const DXGI_SWAP_CHAIN_DESC1 *, IDXGIOutput *, IDXGISwapChain1 **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSharedResourceAdapterLuid(HANDLE, LUID *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RegisterStereoStatusWindow(HWND, UINT, DWORD *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RegisterStereoStatusEvent(HANDLE, DWORD *) override { return E_NOTIMPL; }
    void STDMETHODCALLTYPE UnregisterStereoStatus(DWORD) override {}
    HRESULT STDMETHODCALLTYPE RegisterOcclusionStatusWindow(HWND, UINT, DWORD *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RegisterOcclusionStatusEvent(HANDLE, DWORD *) override { return E_NOTIMPL; }
    void STDMETHODCALLTYPE UnregisterOcclusionStatus(DWORD) override {}
    HRESULT STDMETHODCALLTYPE CreateSwapChainForComposition(IUnknown *, const DXGI_SWAP_CHAIN_DESC1 *, IDXGIOutput *, IDXGISwapChain1 **) override { return E_NOTIMPL; }
    UINT STDMETHODCALLTYPE GetCreationFlags() override { return {}; }
    HRESULT STDMETHODCALLTYPE EnumAdapterByLuid(LUID, REFIID, void **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumWarpAdapter(REFIID, void **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CheckFeatureSupport(DXGI_FEATURE, void *, UINT) override { return E_NOTIMPL; }

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

// The adapter a device is asked for on, as DXGI made it; null for any other.
const TFakeAdapter* AdapterOf(IUnknown* adapter) { return dynamic_cast<TFakeAdapter*>(adapter); }

HRESULT WINAPI FakeD3D11CreateDevice(IDXGIAdapter* adapter, D3D_DRIVER_TYPE type, HMODULE, UINT,
                                     const D3D_FEATURE_LEVEL* levels, UINT count, UINT sdk, ID3D11Device** device,
                                     D3D_FEATURE_LEVEL* level, ID3D11DeviceContext** context)
{
    if (FaultPlan.Fails("D3D11CreateDevice")) return E_FAIL;
    const TFakeAdapter* fake = AdapterOf(adapter);
    // The section wants the level alone: a device or context asked for is a fault here.
    if (fake == nullptr || type != D3D_DRIVER_TYPE_UNKNOWN || sdk != D3D11_SDK_VERSION || device != nullptr ||
        context != nullptr || levels == nullptr || count == 0)
        return E_INVALIDARG;
    // d3d11 knows no level above 12_1, whatever d3d12 knows.
    const UINT newest = Machine().NewestFeatureLevel < 0xc100 ? Machine().NewestFeatureLevel : 0xc100;
    for (UINT at = 0; at < count; ++at)
        if (static_cast<UINT>(levels[at]) > newest) return E_INVALIDARG;
    const UINT own = Machine().Gpus[fake->Gpu].FeatureLevel;
    if (own == 0) return DXGI_ERROR_UNSUPPORTED;
    for (UINT at = 0; at < count; ++at)
        if (static_cast<UINT>(levels[at]) <= own) {
            if (level != nullptr) *level = levels[at];
            return S_FALSE;
        }
    return DXGI_ERROR_UNSUPPORTED;
}

HRESULT WINAPI FakeD3D12CreateDevice(IUnknown* adapter, D3D_FEATURE_LEVEL, REFIID id, void** device)
{
    if (FaultPlan.Fails("D3D12CreateDevice")) return E_FAIL;
    const TFakeAdapter* fake = AdapterOf(adapter);
    if (fake == nullptr || id != __uuidof(ID3D12Device)) return E_INVALIDARG;
    if (Machine().Gpus[fake->Gpu].ShaderModel == 0) return DXGI_ERROR_UNSUPPORTED;
    if (device == nullptr) return S_FALSE;
    *device = static_cast<ID3D12Device*>(new TFakeDevice12(fake->Gpu));
    return S_OK;
}

// Windows numbers targets apart from sources.
const UINT32 TargetId = 0x1100;

// The displays of every adapter in order, each an active path of its own.
std::vector<std::pair<size_t, const TFakeDisplay*>> Paths()
{
    std::vector<std::pair<size_t, const TFakeDisplay*>> paths;
    for (size_t gpu = 0; gpu < Machine().Gpus.size(); ++gpu)
        for (const TFakeDisplay& display : Machine().Gpus[gpu].Displays) paths.push_back({gpu, &display});
    return paths;
}

LONG WINAPI FakeGetDisplayConfigBufferSizes(UINT32 flags, UINT32* paths, UINT32* modes)
{
    if (FaultPlan.Fails("GetDisplayConfigBufferSizes")) return ERROR_NOT_SUPPORTED;
    if (flags != QDC_ONLY_ACTIVE_PATHS) return ERROR_INVALID_PARAMETER;
    *paths = static_cast<UINT32>(Paths().size()) + Machine().PathsAdded;
    *modes = 2 * *paths;
    return ERROR_SUCCESS;
}

LONG WINAPI FakeQueryDisplayConfig(UINT32 flags, UINT32* pathCount, DISPLAYCONFIG_PATH_INFO* paths, UINT32* modeCount,
                                   DISPLAYCONFIG_MODE_INFO*, DISPLAYCONFIG_TOPOLOGY_ID* topology)
{
    if (FaultPlan.Fails("QueryDisplayConfig")) return ERROR_GEN_FAILURE;
    const auto all = Paths();
    if (flags != QDC_ONLY_ACTIVE_PATHS || topology != nullptr) return ERROR_INVALID_PARAMETER;
    // A display plugged in since the sizes were asked.
    if (Machine().PathsAdded != 0) {
        --Machine().PathsAdded;
        return ERROR_INSUFFICIENT_BUFFER;
    }
    if (*pathCount < all.size() || *modeCount < 2 * all.size()) return ERROR_INSUFFICIENT_BUFFER;
    for (size_t at = 0; at < all.size(); ++at) {
        paths[at] = {};
        paths[at].sourceInfo.adapterId = paths[at].targetInfo.adapterId = TFakeAdapter::Luid(all[at].first);
        paths[at].sourceInfo.id = static_cast<UINT32>(at);
        paths[at].targetInfo.id = TargetId + static_cast<UINT32>(at);
    }
    *pathCount = static_cast<UINT32>(all.size());
    *modeCount = 2 * *pathCount;
    return ERROR_SUCCESS;
}

LONG WINAPI FakeDisplayConfigGetDeviceInfo(DISPLAYCONFIG_DEVICE_INFO_HEADER* header)
{
    if (FaultPlan.Fails("DisplayConfigGetDeviceInfo")) return ERROR_GEN_FAILURE;
    const auto all = Paths();
    // A source's request names its source id, a target's its target id, each with its adapter.
    const UINT32 at = header->type == DISPLAYCONFIG_DEVICE_INFO_GET_SOURCE_NAME ? header->id : header->id - TargetId;
    if (at >= all.size() || header->adapterId.LowPart != TFakeAdapter::Luid(all[at].first).LowPart ||
        header->adapterId.HighPart != TFakeAdapter::Luid(all[at].first).HighPart)
        return ERROR_INVALID_PARAMETER;
    const TFakeDisplay& display = *all[at].second;
    switch (header->type) {
    case DISPLAYCONFIG_DEVICE_INFO_GET_SOURCE_NAME: {
        if (header->size != sizeof(DISPLAYCONFIG_SOURCE_DEVICE_NAME)) return ERROR_INVALID_PARAMETER;
        CopyText(reinterpret_cast<DISPLAYCONFIG_SOURCE_DEVICE_NAME*>(header)->viewGdiDeviceName, display.Name);
        return ERROR_SUCCESS;
    }
    case DISPLAYCONFIG_DEVICE_INFO_GET_TARGET_NAME: {
        if (header->size != sizeof(DISPLAYCONFIG_TARGET_DEVICE_NAME)) return ERROR_INVALID_PARAMETER;
        auto* target = reinterpret_cast<DISPLAYCONFIG_TARGET_DEVICE_NAME*>(header);
        target->outputTechnology = display.Connection;
        CopyText(target->monitorFriendlyDeviceName, display.MonitorName);
        return ERROR_SUCCESS;
    }
    case DISPLAYCONFIG_DEVICE_INFO_GET_ADVANCED_COLOR_INFO: {
        if (header->size != sizeof(DISPLAYCONFIG_GET_ADVANCED_COLOR_INFO)) return ERROR_INVALID_PARAMETER;
        auto* colour = reinterpret_cast<DISPLAYCONFIG_GET_ADVANCED_COLOR_INFO*>(header);
        colour->advancedColorSupported = display.Hdr >= 0 || display.WideColor;
        colour->advancedColorEnabled = display.Hdr > 0 || display.WideColor;
        colour->wideColorEnforced = display.WideColor;
        return ERROR_SUCCESS;
    }
    default:
        return ERROR_INVALID_PARAMETER;
    }
}

HDEVINFO const FakeDeviceList = reinterpret_cast<HDEVINFO>(0x5e7);

HDEVINFO WINAPI FakeSetupDiGetClassDevsW(const GUID* type, PCWSTR enumerator, HWND, DWORD flags)
{
    if (FaultPlan.Fails("SetupDiGetClassDevsW")) return INVALID_HANDLE_VALUE;
    if (type == nullptr || *type != GUID_DEVCLASS_DISPLAY || enumerator != nullptr || flags != DIGCF_PRESENT)
        return INVALID_HANDLE_VALUE;
    ++Machine().DeviceListsHeld;
    return FakeDeviceList;
}

BOOL WINAPI FakeSetupDiEnumDeviceInfo(HDEVINFO list, DWORD index, SP_DEVINFO_DATA* device)
{
    if (FaultPlan.Fails("SetupDiEnumDeviceInfo")) return FALSE;
    if (list != FakeDeviceList || device->cbSize != sizeof(SP_DEVINFO_DATA) || index >= Machine().Devices.size())
        return FALSE;
    device->ClassGuid = GUID_DEVCLASS_DISPLAY;
    device->DevInst = index + 1;
    return TRUE;
}

BOOL WINAPI FakeSetupDiGetDeviceRegistryPropertyW(HDEVINFO list, SP_DEVINFO_DATA* device, DWORD property,
                                                  DWORD* type, BYTE* buffer, DWORD size, DWORD* needed)
{
    if (FaultPlan.Fails("SetupDiGetDeviceRegistryPropertyW")) return FALSE;
    if (list != FakeDeviceList || device->DevInst == 0 || device->DevInst > Machine().Devices.size()) return FALSE;
    const TFakeDisplayDevice& fake = Machine().Devices[device->DevInst - 1];
    const std::wstring* text = property == SPDRP_DEVICEDESC     ? &fake.Name
                               : property == SPDRP_FRIENDLYNAME ? &fake.FriendlyName
                               : property == SPDRP_DRIVER       ? &fake.Driver
                               : property == SPDRP_SERVICE      ? &fake.Service
                                                                : nullptr;
    if (text == nullptr || text->empty()) return FALSE;  // ERROR_INVALID_DATA: the device has none
    const DWORD bytes = static_cast<DWORD>((text->size() + 1) * sizeof(WCHAR));
    if (needed != nullptr) *needed = bytes;
    if (type != nullptr) *type = REG_SZ;
    if (size < bytes) return FALSE;  // ERROR_INSUFFICIENT_BUFFER
    CopyMemory(buffer, text->c_str(), bytes);
    return TRUE;
}

BOOL WINAPI FakeSetupDiDestroyDeviceInfoList(HDEVINFO list)
{
    if (list != FakeDeviceList) return FALSE;
    --Machine().DeviceListsHeld;
    return TRUE;
}

CONFIGRET WINAPI FakeCM_Get_DevNode_Status(PULONG status, PULONG problem, DEVINST device, ULONG flags)
{
    if (FaultPlan.Fails("CM_Get_DevNode_Status")) return CR_FAILURE;
    if (device == 0 || device > Machine().Devices.size() || flags != 0) return CR_INVALID_DEVNODE;
    const TFakeDisplayDevice& fake = Machine().Devices[device - 1];
    if (fake.StatusFails) return CR_NO_SUCH_DEVINST;
    *status = fake.Status;
    *problem = fake.Problem;
    return CR_SUCCESS;
}

const char* CDECL Fakewine_get_version() { return "8.0"; }

}  // namespace

TFakeCurrentSystem::TFakeCurrentSystem()
{
    TFunctions ntdll = {FAKE_EXPORT(RtlGetVersion), FAKE_EXPORT(wine_get_version)};
    TFunctions kernel32 = {FAKE_EXPORT(IsWow64Process2), FAKE_EXPORT(IsWow64Process), FAKE_EXPORT(GetSystemPowerStatus),
                           FAKE_EXPORT(GetProcessInformation)};
    ProvidePrerequisites(kernel32, ntdll);
    Provide("ntdll.dll", reinterpret_cast<HMODULE>(0x7c900000), ntdll);
    Provide("kernel32.dll", FakeKernel32, kernel32);
    Provide("user32.dll", reinterpret_cast<HMODULE>(0x7e410000),
            {FAKE_EXPORT(SetThreadDpiAwarenessContext), FAKE_EXPORT(GetDisplayConfigBufferSizes),
             FAKE_EXPORT(QueryDisplayConfig), FAKE_EXPORT(DisplayConfigGetDeviceInfo)});
    Provide("shcore.dll", reinterpret_cast<HMODULE>(0x6f000000), {FAKE_EXPORT(GetDpiForMonitor)});
    Provide("dxgi.dll", reinterpret_cast<HMODULE>(0x6e000000), {FAKE_EXPORT(CreateDXGIFactory1)});
    Provide("d3d11.dll", reinterpret_cast<HMODULE>(0x6d000000), {FAKE_EXPORT(D3D11CreateDevice)});
    Provide("d3d12.dll", reinterpret_cast<HMODULE>(0x6c000000), {FAKE_EXPORT(D3D12CreateDevice)});
    Provide("setupapi.dll", reinterpret_cast<HMODULE>(0x6b000000),
            {FAKE_EXPORT(SetupDiGetClassDevsW), FAKE_EXPORT(SetupDiEnumDeviceInfo),
             FAKE_EXPORT(SetupDiGetDeviceRegistryPropertyW), FAKE_EXPORT(SetupDiDestroyDeviceInfoList)});
    Provide("cfgmgr32.dll", reinterpret_cast<HMODULE>(0x6a000000), {FAKE_EXPORT(CM_Get_DevNode_Status)});
    // A machine of the old table predates them until Graphics() says otherwise.
    MissingLibraries.insert({"d3d11.dll", "d3d12.dll", "setupapi.dll", "cfgmgr32.dll"});
    MissingFunctions.insert({"wine_get_version", "GetDisplayConfigBufferSizes", "QueryDisplayConfig",
                             "DisplayConfigGetDeviceInfo"});
    SetVersion(10, 0, 19045);
}

void TFakeCurrentSystem::Graphics()
{
    for (const char* library : {"d3d11.dll", "d3d12.dll", "setupapi.dll", "cfgmgr32.dll"}) MissingLibraries.erase(library);
    for (const char* function : {"GetDisplayConfigBufferSizes", "QueryDisplayConfig", "DisplayConfigGetDeviceInfo"})
        MissingFunctions.erase(function);
    Dxgi16 = true;
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

std::string TFakeCurrentSystem::Held() const
{
    const struct {
        const char* Name;
        int Count;
    } books[] = {{"COM objects", LiveObjects},      {"libraries", OpenLibraries()},  {"DCs", DcsHeld},
                 {"device lists", DeviceListsHeld}, {"BSTRs", BstrsHeld},            {"power schemes", SchemesHeld},
                 {"event logs", LogsOpen},          {"thread handles", ThreadsHeld}, {"apartments", ApartmentsHeld}};
    std::string held;
    for (const auto& book : books)
        if (book.Count != 0) held += std::string(held.empty() ? "" : ", ") + book.Name + " " + std::to_string(book.Count);
    return held;
}

BOOL TFakeCurrentSystem::FreeLibrary(HMODULE module)
{
    for (const char* library : {"dxgi.dll", "d3d11.dll", "d3d12.dll"})
        if (module == Module(library) && LiveObjects > ObjectsAliveAtFree) ObjectsAliveAtFree = LiveObjects;
    return TFakeLibraryCalls::FreeLibrary(module);
}

HMODULE TFakeCurrentSystem::GetModuleHandleA(LPCSTR name)
{
    return FaultPlan.Fails("GetModuleHandleA") ? nullptr : Module(name);
}

BOOL TFakeCurrentSystem::EnumDisplaySettingsW(LPCWSTR device, DWORD mode, DEVMODEW* settings)
{
    ModesAsked.push_back(device);
    if (FaultPlan.Fails("EnumDisplaySettingsW") || settings->dmSize != sizeof(DEVMODEW)) return FALSE;
    for (const TFakeGpu& gpu : Gpus)
        for (const TFakeDisplay& display : gpu.Displays)
            // The name as DXGI's field holds it.
            if (display.Name.substr(0, 32) == device && display.HasMode) {
                // Its modes: a smaller one whose higher rate is not the panel's, its rates here,
                // then an interlaced one.
                const bool other = mode == 0;
                const bool interlaced = mode == display.Rates.size() + 1 && display.Interlaced != 0;
                if (mode != ENUM_CURRENT_SETTINGS && mode > display.Rates.size() && !interlaced) return FALSE;
                settings->dmPelsWidth = other ? 320 : display.Width;
                settings->dmPelsHeight = other ? 200 : display.Height;
                settings->dmDisplayFlags = interlaced ? DM_INTERLACED : 0;
                settings->dmDisplayFrequency = mode == ENUM_CURRENT_SETTINGS ? display.Refresh
                                               : other                      ? 500
                                               : interlaced                 ? display.Interlaced
                                                                            : display.Rates[mode - 1];
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
