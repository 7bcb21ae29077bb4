#include "info/directx/DirectXInfo.h"

#include "info/RuntimeFunction.h"

namespace D3d9 {
ENVCHECK_RUNTIME_FUNCTION(Direct3DCreate9)
}  // namespace D3d9

TDirectXInfo::TDirectXInfo(TDirectXApi& api) : Api(api)
{
    Title = "DirectXの情報を取得中...\n";
}

TDirectXInfo::~TDirectXInfo() { ReleaseInterfaces(); }

void TDirectXInfo::Collect()
{
    if (OpenDiagnostics()) {
        WriteAdapterInfo();
        WriteSystemInfo();
        WriteSoundDevices();
        WriteDisplayDevices();
        WriteDirectXFiles();
    }
    ReleaseInterfaces();
}

bool TDirectXInfo::OpenDiagnostics()
{
    HRESULT result = Api.CoCreateInstance(CLSID_DxDiagProvider, nullptr, CLSCTX_INPROC_SERVER, IID_IDxDiagProvider,
                                          reinterpret_cast<LPVOID*>(Provider.Receive()));
    if (FAILED(result) || Provider.Get() == nullptr) return false;

    DXDIAG_INIT_PARAMS parameters;
    ZeroMemory(&parameters, sizeof(parameters));
    parameters.dwSize = sizeof(parameters);
    parameters.dwDxDiagHeaderVersion = DXDIAG_DX9_SDK_VERSION;
    parameters.bAllowWHQLChecks = TRUE;
    parameters.pReserved = nullptr;
    if (FAILED(Provider->Initialize(&parameters))) return false;
    if (FAILED(Provider->GetRootContainer(Root.Receive()))) return false;

    // Found at run time: without DirectX 9 the program must still start.
    Direct3D.Reset();
    Direct3DLibrary.reset(new TSystemLibrary(Api, "d3d9.dll"));
    const auto create = FindFunction<D3d9::Direct3DCreate9>(*Direct3DLibrary);
    if (create != nullptr) Direct3D.Reset(create(D3D_SDK_VERSION));
    if (Direct3D.Get() != nullptr) return true;

    AddLine(boost::format("DirectXの初期化に失敗しました\n"));
    return false;
}

void TDirectXInfo::ReleaseInterfaces()
{
    Direct3D.Reset();
    Direct3DLibrary.reset();
    Root.Reset();
    Provider.Reset();
}
