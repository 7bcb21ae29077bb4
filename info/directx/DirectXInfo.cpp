#include "info/directx/DirectXInfo.h"

#include "info/FunctionCast.h"

namespace {

typedef IDirect3D9*(WINAPI* Direct3DCreate9Proc)(UINT);

}  // namespace

TDirectXInfo::TDirectXInfo(TDirectXApi& api) : Direct3D(nullptr), Provider(nullptr), Root(nullptr), Api(api)
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
    Provider = nullptr;
    Root = nullptr;
    HRESULT result = Api.CoCreateInstance(CLSID_DxDiagProvider, nullptr, CLSCTX_INPROC_SERVER, IID_IDxDiagProvider,
                                          reinterpret_cast<LPVOID*>(&Provider));
    if (FAILED(result) || Provider == nullptr) return false;

    DXDIAG_INIT_PARAMS parameters;
    ZeroMemory(&parameters, sizeof(parameters));
    parameters.dwSize = sizeof(parameters);
    parameters.dwDxDiagHeaderVersion = DXDIAG_DX9_SDK_VERSION;
    parameters.bAllowWHQLChecks = TRUE;
    parameters.pReserved = nullptr;
    if (FAILED(Provider->Initialize(&parameters))) return false;
    if (FAILED(Provider->GetRootContainer(&Root))) return false;

    // Found at run time: without DirectX 9 the program must still start.
    Direct3D = nullptr;
    Direct3DLibrary.reset(new TSystemLibrary(Api, "d3d9.dll"));
    Direct3DCreate9Proc create = FunctionCast<Direct3DCreate9Proc>(Direct3DLibrary->Find("Direct3DCreate9"));
    if (create != nullptr) Direct3D = create(D3D_SDK_VERSION);
    if (Direct3D != nullptr) return true;

    AddLine(boost::format("DirectXの初期化に失敗しました\n"));
    return false;
}

void TDirectXInfo::ReleaseInterfaces()
{
    if (Direct3D != nullptr) {
        Direct3D->Release();
        Direct3D = nullptr;
    }
    Direct3DLibrary.reset();
    if (Root != nullptr) {
        Root->Release();
        Root = nullptr;
    }
    if (Provider != nullptr) {
        Provider->Release();
        Provider = nullptr;
    }
}
