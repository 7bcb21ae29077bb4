#ifndef ENVCHECK_INFO_DIRECTX_DIRECTXINFO_H
#define ENVCHECK_INFO_DIRECTX_DIRECTXINFO_H

#include <d3d9.h>
#include <dxdiag.h>

#include <memory>
#include <string>

#include "info/BaseInfo.h"
#include "info/ComRef.h"
#include "info/SystemLibrary.h"
#include "info/directx/DirectXApi.h"

// One named property of a diagnostic container and the type it is read as.
struct DxPropertyRow {
    VARTYPE Type;
    const wchar_t* Name;
};

// The DirectX section: the Direct3D 9 adapter, then what the diagnostic
// provider reports of the system, the sound and display devices and the
// DirectX files.
class TDirectXInfo : public TBaseInfo {
public:
    explicit TDirectXInfo(TDirectXApi& api = Win32DirectXApi());
    ~TDirectXInfo() override;
    void Collect() override;

    bool OpenDiagnostics();
    void ReleaseInterfaces();

    bool WriteAdapterInfo();
    bool WriteSystemInfo();
    bool WriteSoundDevices();
    bool WriteDisplayDevices();
    bool WriteDirectXFiles();

    // Made for the accepted VARIANT types only: VT_BSTR, VT_UI4, VT_BOOL, VT_I4.
    template <VARTYPE Type>
    bool PrintProp(IDxDiagContainer* container, const wchar_t* name);
    // Made for VT_BOOL, VT_BSTR and VT_I4 only.
    template <VARTYPE Type>
    std::string& GetPropText(IDxDiagContainer* container, const wchar_t* name, std::string& text);

    // Wide text in the system's ANSI code page, at most 511 bytes, never
    // ending in half a double-byte character.
    std::string NarrowText(const wchar_t* wide);

private:
    // Fetches a property; true (and the value to be cleared) only when it has the type.
    bool FetchProp(IDxDiagContainer* container, const wchar_t* name, VARTYPE type, VARIANT& value);
    template <VARTYPE Type>
    auto MemberText(const VARIANT& value);
    template <typename Use>
    bool WithProp(IDxDiagContainer* container, const wchar_t* name, VARTYPE type, Use use);
    void PrintRow(IDxDiagContainer* container, const DxPropertyRow& row);
    bool WriteDevices(const char* heading, const wchar_t* path, const DxPropertyRow* rows, size_t count);

    // Released in ReleaseInterfaces' order: Direct3D before its library.
    TComRef<IDirect3D9> Direct3D;
    TComRef<IDxDiagProvider> Provider;
    TComRef<IDxDiagContainer> Root;
    // d3d9.dll holds Direct3D's code, so it stays loaded while Direct3D lives.
    std::unique_ptr<TSystemLibrary> Direct3DLibrary;
    TDirectXApi& Api;
};

// The text after the WHQL label: uncertified, certified without a date, or the packed date.
std::string WhqlLevelText(DWORD level);

#endif
