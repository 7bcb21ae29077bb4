#ifndef ENVCHECK_FAKES_DIRECTX_FAKEDXDIAG_H
#define ENVCHECK_FAKES_DIRECTX_FAKEDXDIAG_H

#include <d3d9.h>
#include <dxdiag.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "fakes/CurrentFake.h"
#include "fakes/FakeLibraryCalls.h"
#include "info/directx/DirectXApi.h"

// Counts references; a Release below the test's own reference is recorded.
class TRefCounted {
public:
    ULONG References = 1;
    bool ReleasedTooOften = false;
    ULONG AddRefCount()
    {
        return ++References;
    }
    ULONG ReleaseCount()
    {
        if (References <= 1) ReleasedTooOften = true;
        return References > 0 ? --References : 0;
    }
};

// One stored property: its VARIANT type and value.
struct TFakeProp {
    VARTYPE Type = VT_EMPTY;
    LONG Number = 0;
    std::wstring Text;
    bool NullText = false;
};
inline TFakeProp NumberProp(VARTYPE type, LONG number) { return {type, number, L"", false}; }
inline TFakeProp TextProp(const std::wstring& text) { return {VT_BSTR, 0, text, false}; }
inline TFakeProp NullTextProp() { return {VT_BSTR, 0, L"", true}; }

class TFakeApi;

// A diagnostic container: properties, named children, and failures on demand.
class TFakeContainer : public IDxDiagContainer, public TRefCounted {
public:
    explicit TFakeContainer(TFakeApi& api) : Api(api) {}
    TFakeContainer& Child(const std::wstring& name);
    void Set(const std::wstring& name, VARTYPE type, LONG number) { Props[name] = NumberProp(type, number); }
    void SetText(const std::wstring& name, const std::wstring& text) { Props[name] = TextProp(text); }
    void SetNullText(const std::wstring& name) { Props[name] = NullTextProp(); }

    bool FailCount = false;
    DWORD FailEnumAt = 0xFFFFFFFF;
    DWORD FailOpenAt = 0xFFFFFFFF;
    DWORD ClaimedChildren = 0;  // non-zero: the child count reported, whatever the children
    bool FillNames = false;     // child names fill the whole buffer, without terminator
    std::map<std::wstring, TFakeProp> Props;
    std::vector<std::pair<std::wstring, std::unique_ptr<TFakeContainer>>> Children;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return AddRefCount(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseCount(); }
    HRESULT STDMETHODCALLTYPE GetNumberOfChildContainers(DWORD* count) override;
    HRESULT STDMETHODCALLTYPE EnumChildContainerNames(DWORD index, LPWSTR name, DWORD size) override;
    HRESULT STDMETHODCALLTYPE GetChildContainer(LPCWSTR path, IDxDiagContainer** child) override;
    HRESULT STDMETHODCALLTYPE GetNumberOfProps(DWORD* count) override;
    HRESULT STDMETHODCALLTYPE EnumPropNames(DWORD, LPWSTR, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetProp(LPCWSTR name, VARIANT* value) override;

    // Every reference of this container and its descendants is back to the test's own.
    bool AllReleased() const;

private:
    size_t Find(const std::wstring& name) const;  // Children.size() when absent
    HRESULT Open(const std::wstring& rest, IDxDiagContainer** child);
    std::map<std::wstring, size_t> Index;
    TFakeApi& Api;
};

class TFakeProvider : public IDxDiagProvider, public TRefCounted {
public:
    explicit TFakeProvider(TFakeApi& api) : Root(api) {}
    HRESULT InitializeResult = S_OK;
    HRESULT RootResult = S_OK;
    DXDIAG_INIT_PARAMS Parameters = {};
    TFakeContainer Root;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return AddRefCount(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseCount(); }
    HRESULT STDMETHODCALLTYPE Initialize(DXDIAG_INIT_PARAMS* parameters) override;
    HRESULT STDMETHODCALLTYPE GetRootContainer(IDxDiagContainer** root) override;
};

class TFakeDirect3D : public IDirect3D9, public TRefCounted {
public:
    HRESULT IdentifierResult = S_OK;
    D3DADAPTER_IDENTIFIER9 Identifier = {};
    UINT AskedAdapter = 0xdeadbeef;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return AddRefCount(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseCount(); }
    HRESULT STDMETHODCALLTYPE RegisterSoftwareDevice(void*) override { return E_NOTIMPL; }
    UINT STDMETHODCALLTYPE GetAdapterCount() override { return 2; }
    HRESULT STDMETHODCALLTYPE GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER9* record) override;
    UINT STDMETHODCALLTYPE GetAdapterModeCount(UINT, D3DFORMAT) override { return 0; }
    HRESULT STDMETHODCALLTYPE EnumAdapterModes(UINT, D3DFORMAT, UINT, D3DDISPLAYMODE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAdapterDisplayMode(UINT, D3DDISPLAYMODE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CheckDeviceType(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, WINBOOL) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CheckDeviceFormat(UINT, D3DDEVTYPE, D3DFORMAT, DWORD, D3DRESOURCETYPE, D3DFORMAT) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CheckDeviceMultiSampleType(UINT, D3DDEVTYPE, D3DFORMAT, WINBOOL, D3DMULTISAMPLE_TYPE,
                                                         DWORD*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CheckDepthStencilMatch(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, D3DFORMAT) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CheckDeviceFormatConversion(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetDeviceCaps(UINT, D3DDEVTYPE, D3DCAPS9*) override { return E_NOTIMPL; }
    HMONITOR STDMETHODCALLTYPE GetAdapterMonitor(UINT) override { return nullptr; }
    HRESULT STDMETHODCALLTYPE CreateDevice(UINT, D3DDEVTYPE, HWND, DWORD, D3DPRESENT_PARAMETERS*,
                                           IDirect3DDevice9**) override
    {
        return E_NOTIMPL;
    }
};

// The platform of the DirectX collector: a provider, a Direct3D 9 object in
// a d3d9.dll that may be missing, and the conversions of the real system.
class TFakeApi : public TFakeLibraryCalls<TDirectXApi>, public TCurrentFake<TFakeApi> {
public:
    TFakeApi();

    HRESULT CreateResult = S_OK;
    bool ProviderMissing = false;
    bool Direct3DMissing = false;
    TFakeProvider Provider;
    TFakeDirect3D Direct3D;

    bool FreedWhileInUse = false;
    int LiveStrings = 0;
    // The system's ANSI code page as the conversions see it; 0: the process's.
    // Under UTF-8 they take no flags but WC_ERR_INVALID_CHARS, as on Windows.
    UINT AnsiCodePage = 0;

    // Everything the collector was given is back to the test's own reference.
    bool AllReleased() const;

    HRESULT CoCreateInstance(REFCLSID classId, LPUNKNOWN outer, DWORD context, REFIID interfaceId,
                             LPVOID* object) override;
    void VariantInit(VARIANTARG* value) override { ::VariantInit(value); }
    HRESULT VariantClear(VARIANTARG* value) override;
    int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH wide, int wideLength, LPSTR narrow, int narrowSize,
                            LPCCH defaultChar, LPBOOL usedDefaultChar) override
    {
        if (FaultPlan.Fails("WideCharToMultiByte")) return 0;
        codePage = Resolved(codePage);
        if (codePage == CP_UTF8 && (flags & ~static_cast<DWORD>(WC_ERR_INVALID_CHARS)) != 0) {
            SetLastError(ERROR_INVALID_FLAGS);
            return 0;
        }
        return ::WideCharToMultiByte(codePage, flags, wide, wideLength, narrow, narrowSize, defaultChar,
                                     usedDefaultChar);
    }
    BOOL IsDBCSLeadByteEx(UINT codePage, BYTE value) override
    {
        return ::IsDBCSLeadByteEx(Resolved(codePage), value);
    }
    int StringFromGUID2(REFGUID guid, LPOLESTR text, int size) override
    {
        return FaultPlan.Fails("StringFromGUID2") ? 0 : ::StringFromGUID2(guid, text, size);
    }
    BOOL FreeLibrary(HMODULE module) override;

private:
    UINT Resolved(UINT codePage) const { return codePage == CP_ACP && AnsiCodePage != 0 ? AnsiCodePage : codePage; }
};

#endif
