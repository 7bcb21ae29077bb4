#include "info/service/ServiceInfo.h"

#include <cstring>
#include <string>

#include "info/BoundedText.h"
#include "info/OsVersion.h"
#include "info/PlatformBuffer.h"
#include "info/RuntimeFunction.h"

namespace Advapi32 {
ENVCHECK_RUNTIME_FUNCTION(OpenSCManagerA)
ENVCHECK_RUNTIME_FUNCTION(EnumServicesStatusExA)  // 2000
ENVCHECK_RUNTIME_FUNCTION(CloseServiceHandle)
}  // namespace Advapi32

namespace {

const char* const Rule =
    "+--------------------------------------------------------------+--------------------+----------------------+\n";
const char* const Header =
    "| 名前                                                         | サービス名         | 状態                 |\n";
// A list that grows between the calls is asked again, a few times at most.
const int EnumerationAttempts = 4;

// A record's text, where it lies whole inside the buffer; empty otherwise.
std::string TextWithin(const TPlatformBuffer& buffer, const char* text)
{
    if (!buffer.Holds(text, 1)) return std::string();
    const BYTE* start = buffer.Get();
    const size_t room = buffer.Size() - static_cast<size_t>(reinterpret_cast<const BYTE*>(text) - start);
    return PlatformText(text, room);
}

}  // namespace

const char* ServiceStateText(DWORD state)
{
    static const char* const texts[] = {"",         "not running.",         "starting.",         "stopping.",
                                        "running.", "continue is pending.", "pause is pending.", "paused."};
    return state < sizeof(texts) / sizeof(texts[0]) ? texts[state] : "";
}

TServiceInfo::TServiceInfo(TServiceApi& api)
    : EnumServices(nullptr), ScManager(nullptr), Api(api)
{
    Title = "サービスの情報を取得中...\n";
}

TServiceInfo::~TServiceInfo() { Close(); }

void TServiceInfo::Collect()
{
    if (Open()) {
        ListServices(SERVICE_WIN32);
        ListServices(SERVICE_DRIVER);
    }
    Close();
}

bool TServiceInfo::Open()
{
    Close();
    AddLine(boost::format("Service Infomation:\n"));
    if (OsVersion.dwPlatformId != VER_PLATFORM_WIN32_NT) {
        AddLine(boost::format("NT系OSではないので処理をスキップします。\n"));
        return false;
    }
    AdvapiModule.reset(new TSystemLibrary(Api, "advapi32.DLL"));
    if (!AdvapiModule->IsLoaded()) {
        AddLine(boost::format("DLLのロードに失敗しました。\n"));
        return false;
    }
    const auto openManager = FindFunction<Advapi32::OpenSCManagerA>(*AdvapiModule);
    EnumServices = FindFunction<Advapi32::EnumServicesStatusExA>(*AdvapiModule);
    const auto closeManager = FindFunction<Advapi32::CloseServiceHandle>(*AdvapiModule);
    if (openManager == nullptr || EnumServices == nullptr || closeManager == nullptr) {
        AddLine(boost::format("関数のアドレス取得に失敗しました。\n"));
        return false;
    }
    // Listing needs only these rights; an ordinary user is refused full access.
    ScManager.Reset(openManager(nullptr, nullptr, SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE), closeManager);
    if (ScManager.IsOpen()) return true;

    const DWORD error = Api.GetLastError();
    AddLine(boost::format("サービスの取得に失敗。\n"));
    if (error == ERROR_ACCESS_DENIED) AddLine(boost::format("権限がありません。\n"));
    if (error == ERROR_DATABASE_DOES_NOT_EXIST) AddLine(boost::format("データベースが存在しません。\n"));
    if (error == ERROR_INVALID_PARAMETER) AddLine(boost::format("パラメータが無効です。\n"));
    return false;
}

bool TServiceInfo::Enumerate(DWORD serviceType, TPlatformBuffer& buffer, DWORD& count)
{
    DWORD needed = 0;
    DWORD returned = 0;
    count = 0;
    if (EnumServices(ScManager.Get(), SC_ENUM_PROCESS_INFO, serviceType, SERVICE_STATE_ALL, nullptr, 0, &needed,
                     &returned, nullptr, nullptr))
        return true;
    if (Api.GetLastError() != ERROR_MORE_DATA) return false;
    for (int attempt = 0; attempt < EnumerationAttempts; ++attempt) {
        if (!buffer.Resize(needed)) return false;
        const DWORD size = static_cast<DWORD>(buffer.Size());
        needed = 0;
        returned = 0;
        const BOOL done = EnumServices(ScManager.Get(), SC_ENUM_PROCESS_INFO, serviceType, SERVICE_STATE_ALL,
                                       buffer.Get(), size, &needed, &returned, nullptr, nullptr);
        if (done || Api.GetLastError() != ERROR_MORE_DATA || needed <= size) break;
    }
    // Never more records than the buffer holds, whatever the count says.
    const DWORD fits = static_cast<DWORD>(buffer.Size() / sizeof(ENUM_SERVICE_STATUS_PROCESSA));
    count = returned < fits ? returned : fits;
    return true;
}

bool TServiceInfo::ListServices(DWORD serviceType)
{
    TPlatformBuffer buffer;
    DWORD count = 0;
    if (!Enumerate(serviceType, buffer, count)) return false;
    WriteTable(buffer, count);
    return true;
}

void TServiceInfo::WriteTable(TPlatformBuffer& buffer, DWORD count)
{
    const ENUM_SERVICE_STATUS_PROCESSA* records = reinterpret_cast<const ENUM_SERVICE_STATUS_PROCESSA*>(buffer.Get());
    AddLine(boost::format(Rule));
    AddLine(boost::format(Header));
    AddLine(boost::format(Rule));
    for (DWORD i = 0; i < count; ++i) {
        const ENUM_SERVICE_STATUS_PROCESSA& record = records[i];
        AddLine(boost::format("| %-60s | %-18s | %-20s |\n") % TextWithin(buffer, record.lpDisplayName) %
                TextWithin(buffer, record.lpServiceName) % ServiceStateText(record.ServiceStatusProcess.dwCurrentState));
    }
    AddLine(boost::format(Rule));
}

void TServiceInfo::Close()
{
    ScManager.Reset();
    AdvapiModule.reset();
}
