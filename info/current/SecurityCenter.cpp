#include "info/current/CurrentSystemInfo.h"

#include <wbemcli.h>

#include <atomic>

#include "info/ComRef.h"
#include "info/WideText.h"
#include "info/current/CurrentFunctions.h"

namespace {

const CLSID WbemLocatorClass = {0x4590f811, 0x1d3a, 0x11d0, {0x89, 0x1f, 0x00, 0xaa, 0x00, 0x4b, 0x2e, 0x24}};

// A broken WMI may never answer: the whole list gets this long, and no more; and
// the collector waits this long for all of it, connection and query included.
const DWORD ListBudgetMs = 5000;
const DWORD AnswerWaitMs = 10000;
// More products than any machine runs; the rest are not listed, and a list
// longer still is not read to its end.
const size_t MostProducts = 16;
const size_t MostObjects = 64;

// A BSTR freed through the seam that made it.
class TBstr {
public:
    TBstr(TCurrentSystemApi& api, const wchar_t* text) : Api(api), Text(api.SysAllocString(text)) {}
    ~TBstr()
    {
        if (Text != nullptr) Api.SysFreeString(Text);
    }
    TBstr(const TBstr&) = delete;
    TBstr& operator=(const TBstr&) = delete;

    BSTR Get() const { return Text; }

private:
    TCurrentSystemApi& Api;
    BSTR Text;
};

// A property's value, cleared through the seam.
class TVariant {
public:
    explicit TVariant(TCurrentSystemApi& api) : Api(api) { Value.vt = VT_EMPTY; }
    ~TVariant() { Api.VariantClear(&Value); }
    TVariant(const TVariant&) = delete;
    TVariant& operator=(const TVariant&) = delete;

    VARIANT Value;

private:
    TCurrentSystemApi& Api;
};

bool ReadProduct(TCurrentSystemApi& api, IWbemClassObject& object, SecurityProductRecord& product)
{
    TVariant name(api);
    TVariant state(api);
    // A product without a name tells support nothing.
    if (FAILED(object.Get(L"displayName", 0, &name.Value, nullptr, nullptr)) || name.Value.vt != VT_BSTR ||
        name.Value.bstrVal == nullptr || name.Value.bstrVal[0] == L'\0')
        return false;
    if (FAILED(object.Get(L"productState", 0, &state.Value, nullptr, nullptr))) return false;
    // WMI gives the unsigned value as VT_I4 (or VT_UI4 from some providers).
    if (state.Value.vt != VT_I4 && state.Value.vt != VT_UI4) return false;
    product.Name = OneLine(Cp932Text(std::wstring(name.Value.bstrVal)));
    product.State = static_cast<DWORD>(state.Value.lVal);
    return true;
}

bool ReadProducts(TCurrentSystemApi& Api, std::vector<SecurityProductRecord>& products)
{
    // Only client Windows from Vista SP2 keep this namespace; elsewhere ConnectServer fails at once.
    const auto setProxyBlanket = FindFunction<Ole32::CoSetProxyBlanket>(TLoadedModule(Api, "ole32.dll"));
    if (setProxyBlanket == nullptr) return false;
    TComRef<IWbemLocator> locator;
    if (FAILED(Api.CoCreateInstance(WbemLocatorClass, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IWbemLocator),
                                    reinterpret_cast<void**>(locator.Receive()))))
        return false;
    const TBstr space(Api, L"ROOT\\SecurityCenter2");
    const TBstr language(Api, L"WQL");
    const TBstr query(Api, L"SELECT displayName, productState FROM AntiVirusProduct");
    if (space.Get() == nullptr || language.Get() == nullptr || query.Get() == nullptr) return false;
    TComRef<IWbemServices> services;
    // The flag bounds the connection to WMI's own limit, two minutes at most.
    if (FAILED(locator->ConnectServer(space.Get(), nullptr, nullptr, nullptr, WBEM_FLAG_CONNECT_USE_MAX_WAIT, nullptr,
                                      nullptr, services.Receive())))
        return false;
    // The process's default identify level is not enough for WMI's providers. Only a proxy takes a
    // blanket: where WMI answers from within the process (Wine) there is none to set, and no need.
    setProxyBlanket(services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                    RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
    TComRef<IEnumWbemClassObject> list;
    // Answered at once; each object then comes with a timeout of its own.
    if (FAILED(services->ExecQuery(language.Get(), query.Get(), WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY,
                                   nullptr, list.Receive())))
        return false;
    // The list is a proxy of its own.
    setProxyBlanket(list.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                    RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
    const DWORD start = Api.GetTickCount();
    for (size_t seen = 0; seen < MostObjects; ++seen) {
        const DWORD spent = Api.GetTickCount() - start;
        if (spent >= ListBudgetMs) return false;
        TComRef<IWbemClassObject> object;
        ULONG returned = 0;
        const HRESULT result = list->Next(static_cast<LONG>(ListBudgetMs - spent), 1, object.Receive(), &returned);
        if (result == WBEM_S_FALSE && returned == 0) return true;
        if (result != WBEM_S_NO_ERROR || returned != 1 || object.Get() == nullptr) return false;
        SecurityProductRecord product;
        if (products.size() < MostProducts && ReadProduct(Api, *object.Get(), product)) products.push_back(product);
    }
    return true;
}

// What the asking thread found. The collector may stop waiting for it: whichever of the two lets go
// last frees it, and the thread releases its own objects whenever WMI answers.
struct TSecurityCenterAnswer {
    explicit TSecurityCenterAnswer(TCurrentSystemApi& api) : Api(api) {}
    void Release()
    {
        if (--Holders == 0) delete this;
    }

    TCurrentSystemApi& Api;
    std::atomic<int> Holders{2};
    bool Answered = false;
    std::vector<SecurityProductRecord> Products;
};

unsigned __stdcall AskSecurityCenter(void* parameter)
{
    TSecurityCenterAnswer& answer = *static_cast<TSecurityCenterAnswer*>(parameter);
    // An apartment of its own, so that no COM object outlives the thread that made it.
    if (SUCCEEDED(answer.Api.CoInitialize(nullptr))) {
        answer.Answered = ReadProducts(answer.Api, answer.Products);
        answer.Api.CoUninitialize();
    }
    answer.Release();
    return 0;
}

}  // namespace

bool TCurrentSystemInfo::ReadSecurityCenter(std::vector<SecurityProductRecord>& products)
{
    // A call into a hung WMI service returns when the service does, if ever: it is made on a thread the
    // section need not wait for.
    TSecurityCenterAnswer* answer = new TSecurityCenterAnswer(Api);
    const HANDLE thread =
        reinterpret_cast<HANDLE>(Api._beginthreadex(nullptr, 0, &AskSecurityCenter, answer, 0, nullptr));
    if (thread == nullptr) {
        delete answer;
        return false;
    }
    const bool finished = Api.WaitForSingleObject(thread, AnswerWaitMs) == WAIT_OBJECT_0;
    Api.CloseHandle(thread);
    const bool answered = finished && answer->Answered;
    if (answered) products = answer->Products;
    answer->Release();
    return answered;
}
