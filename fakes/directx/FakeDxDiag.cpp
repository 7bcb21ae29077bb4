#include "fakes/directx/FakeDxDiag.h"

#include <cstring>

#include "info/FunctionCast.h"

namespace {

IDirect3D9* WINAPI FakeDirect3DCreate9(UINT version)
{
    if (FaultPlan.Fails("Direct3DCreate9")) return nullptr;
    TFakeApi& api = TFakeApi::Current();
    if (api.Direct3DMissing || version != D3D_SDK_VERSION) return nullptr;
    api.Direct3D.AddRef();
    return &api.Direct3D;
}

}  // namespace

size_t TFakeContainer::Find(const std::wstring& name) const
{
    // The index keeps a tree of thousands of children quick to build and open.
    const auto indexed = Index.find(name);
    if (indexed != Index.end() && indexed->second < Children.size() && Children[indexed->second].first == name)
        return indexed->second;
    for (size_t i = 0; i < Children.size(); ++i)
        if (Children[i].first == name) return i;
    return Children.size();
}

TFakeContainer& TFakeContainer::Child(const std::wstring& name)
{
    const size_t found = Find(name);
    if (found < Children.size()) return *Children[found].second;
    Index[name] = Children.size();
    Children.emplace_back(name, std::unique_ptr<TFakeContainer>(new TFakeContainer(Api)));
    return *Children.back().second;
}

HRESULT TFakeContainer::GetNumberOfChildContainers(DWORD* count)
{
    if (FaultPlan.Fails("GetNumberOfChildContainers") || FailCount) return E_FAIL;
    *count = ClaimedChildren != 0 ? ClaimedChildren : static_cast<DWORD>(Children.size());
    return S_OK;
}

HRESULT TFakeContainer::EnumChildContainerNames(DWORD index, LPWSTR name, DWORD size)
{
    if (FaultPlan.Fails("EnumChildContainerNames")) return E_FAIL;
    if (index == FailEnumAt || index >= Children.size()) return E_INVALIDARG;
    if (FillNames) {
        for (DWORD i = 0; i < size; ++i) name[i] = L'n';
        return S_OK;
    }
    const std::wstring& text = Children[index].first;
    if (text.size() + 1 > size) return E_INVALIDARG;
    wcscpy(name, text.c_str());
    return S_OK;
}

HRESULT TFakeContainer::GetChildContainer(LPCWSTR path, IDxDiagContainer** child)
{
    if (FaultPlan.Fails("GetChildContainer")) return E_FAIL;
    return Open(path, child);
}

HRESULT TFakeContainer::Open(const std::wstring& rest, IDxDiagContainer** child)
{
    const size_t dot = rest.find(L'.');
    const std::wstring first = rest.substr(0, dot);
    const size_t i = Find(first);
    if (i == Children.size()) return E_INVALIDARG;
    if (i == FailOpenAt) return E_FAIL;
    if (dot != std::wstring::npos) return Children[i].second->Open(rest.substr(dot + 1), child);
    Children[i].second->AddRef();
    *child = Children[i].second.get();
    return S_OK;
}

HRESULT TFakeContainer::GetNumberOfProps(DWORD* count)
{
    if (FaultPlan.Fails("GetNumberOfProps")) return E_FAIL;
    *count = static_cast<DWORD>(Props.size());
    return S_OK;
}

HRESULT TFakeContainer::GetProp(LPCWSTR name, VARIANT* value)
{
    if (FaultPlan.Fails("GetProp")) return E_FAIL;
    auto found = Props.find(name);
    if (found == Props.end()) return E_INVALIDARG;
    const TFakeProp& prop = found->second;
    value->vt = prop.Type;
    if (prop.Type == VT_BSTR) {
        value->bstrVal = prop.NullText ? nullptr : SysAllocStringLen(prop.Text.data(), static_cast<UINT>(prop.Text.size()));
        if (value->bstrVal != nullptr) ++Api.LiveStrings;
    } else if (prop.Type == VT_BOOL) {
        value->boolVal = static_cast<VARIANT_BOOL>(prop.Number);
    } else {
        value->lVal = prop.Number;
    }
    return S_OK;
}

bool TFakeContainer::AllReleased() const
{
    if (References != 1 || ReleasedTooOften) return false;
    for (const auto& child : Children)
        if (!child.second->AllReleased()) return false;
    return true;
}

HRESULT TFakeProvider::Initialize(DXDIAG_INIT_PARAMS* parameters)
{
    if (FaultPlan.Fails("Initialize")) return E_FAIL;
    Parameters = *parameters;
    return InitializeResult;
}

HRESULT TFakeProvider::GetRootContainer(IDxDiagContainer** root)
{
    if (FaultPlan.Fails("GetRootContainer")) return E_FAIL;
    if (FAILED(RootResult)) return RootResult;
    Root.AddRef();
    *root = &Root;
    return S_OK;
}

HRESULT TFakeDirect3D::GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER9* record)
{
    if (FaultPlan.Fails("GetAdapterIdentifier")) return E_FAIL;
    AskedAdapter = adapter;
    if (FAILED(IdentifierResult) || flags != 0) return FAILED(IdentifierResult) ? IdentifierResult : E_INVALIDARG;
    *record = Identifier;
    return S_OK;
}

TFakeApi::TFakeApi() : Provider(*this)
{
    Provide("d3d9.dll", reinterpret_cast<HMODULE>(0x5D3D0000),
            {FAKE_EXPORT(Direct3DCreate9)});
}

bool TFakeApi::AllReleased() const
{
    return Provider.References == 1 && !Provider.ReleasedTooOften && Provider.Root.AllReleased() &&
           Direct3D.References == 1 && !Direct3D.ReleasedTooOften && OpenLibraries() == 0;
}

HRESULT TFakeApi::CoCreateInstance(REFCLSID classId, LPUNKNOWN outer, DWORD context, REFIID interfaceId,
                                   LPVOID* object)
{
    if (FaultPlan.Fails("CoCreateInstance")) return REGDB_E_CLASSNOTREG;
    if (FAILED(CreateResult)) return CreateResult;
    if (!IsEqualCLSID(classId, CLSID_DxDiagProvider) || !IsEqualIID(interfaceId, IID_IDxDiagProvider) ||
        outer != nullptr || context != CLSCTX_INPROC_SERVER)
        return REGDB_E_CLASSNOTREG;
    if (ProviderMissing) return S_OK;  // success without an object
    Provider.AddRef();
    *object = static_cast<IDxDiagProvider*>(&Provider);
    return S_OK;
}

HRESULT TFakeApi::VariantClear(VARIANTARG* value)
{
    const bool fails = FaultPlan.Fails("VariantClear");
    if (value->vt == VT_BSTR && value->bstrVal != nullptr) --LiveStrings;
    const HRESULT result = ::VariantClear(value);
    return fails ? E_FAIL : result;
}

BOOL TFakeApi::FreeLibrary(HMODULE module)
{
    const BOOL freed = TFakeLibraryCalls::FreeLibrary(module);
    if (Direct3D.References > 1) FreedWhileInUse = true;
    return freed;
}
