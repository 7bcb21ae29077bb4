#include "info/directx/DirectXInfo.h"

#include "info/RuntimeFunction.h"
#include "info/directx/PropertyTables.h"

namespace D3d9 {
ENVCHECK_RUNTIME_FUNCTION(Direct3DCreate9)
}  // namespace D3d9

TDirectXInfo::TDirectXInfo(TDirectXApi& api) : TBaseInfo("DirectXの情報を取得中...\n"), Api(api) {}

TDirectXInfo::~TDirectXInfo() { ReleaseInterfaces(); }

void TDirectXInfo::Collect(const OsVersionRecord&) { WriteDirectXSection(Read(), Section); }

DirectXRecord TDirectXInfo::Read()
{
    DirectXRecord record;
    record.ProviderOpened = OpenProvider();
    if (record.ProviderOpened) {
        // Found at run time: without DirectX 9 the program must still start.
        Direct3DLibrary.reset(new TSystemLibrary(Api, "d3d9.dll"));
        const auto create = FindFunction<D3d9::Direct3DCreate9>(*Direct3DLibrary);
        if (create != nullptr) Direct3D.Reset(create(D3D_SDK_VERSION));
        record.Direct3DCreated = Direct3D.Get() != nullptr;
    }
    if (record.Direct3DCreated) {
        record.Adapter = ReadAdapter();
        record.System = ReadSystem();
        record.Sound =
            ReadDevices(L"DxDiag_DirectSound.DxDiag_SoundDevices", SoundDeviceProperties, SoundDevicePropertyCount);
        record.Display = ReadDevices(L"DxDiag_DisplayDevices", DisplayDeviceProperties, DisplayDevicePropertyCount);
        record.Files = ReadFiles();
    }
    ReleaseInterfaces();
    return record;
}

bool TDirectXInfo::OpenProvider()
{
    HRESULT result = Api.CoCreateInstance(CLSID_DxDiagProvider, nullptr, CLSCTX_INPROC_SERVER, IID_IDxDiagProvider,
                                          reinterpret_cast<LPVOID*>(Provider.Receive()));
    if (FAILED(result) || Provider.Get() == nullptr) return false;

    DXDIAG_INIT_PARAMS parameters = {sizeof(DXDIAG_INIT_PARAMS), DXDIAG_DX9_SDK_VERSION, TRUE, nullptr};
    if (FAILED(Provider->Initialize(&parameters))) return false;
    return SUCCEEDED(Provider->GetRootContainer(Root.Receive()));
}

void TDirectXInfo::ReleaseInterfaces()
{
    Direct3D.Reset();
    Direct3DLibrary.reset();
    Root.Reset();
    Provider.Reset();
}

void WriteDirectXSection(const DirectXRecord& record, TSection& section)
{
    if (!record.ProviderOpened) return;
    if (!record.Direct3DCreated) return section.AddLine(boost::format("DirectXの初期化に失敗しました\n"));
    WriteAdapterSection(record.Adapter, section);
    WriteDeviceSection("DxDialog DirectX Infomation:\n", record.System, section);
    WriteDeviceSection("DxDialog DirectSound Infomation:\n", record.Sound, section);
    WriteDeviceSection("DxDialog Display Infomation:\n", record.Display, section);
    WriteFilesSection(record.Files, section);
}
