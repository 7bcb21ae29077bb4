#include "info/service/ServiceInfo.h"

#include <cstring>
#include <string>

#include "info/BoundedText.h"
#include "info/OwnedHandle.h"
#include "info/RuntimeFunction.h"
#include "info/SystemLibrary.h"

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

TServiceInfo::TServiceInfo(TServiceApi& api) : TBaseInfo("サービスの情報を取得中...\n"), Api(api) {}

void TServiceInfo::Collect(const OsVersionRecord& version)
{
    ServiceListRecord services;
    if (version.Info.dwPlatformId == VER_PLATFORM_WIN32_NT) services.Step = ListServices(services);
    WriteServiceSection(services, version, Section);
}

ServiceListRecord::TStep TServiceInfo::ListServices(ServiceListRecord& services)
{
    const TSystemLibrary advapi(Api, "advapi32.DLL");
    if (!advapi.IsLoaded()) return ServiceListRecord::LibraryMissing;
    const auto openManager = FindFunction<Advapi32::OpenSCManagerA>(advapi);
    const auto enumServices = FindFunction<Advapi32::EnumServicesStatusExA>(advapi);
    const auto closeManager = FindFunction<Advapi32::CloseServiceHandle>(advapi);
    if (openManager == nullptr || enumServices == nullptr || closeManager == nullptr)
        return ServiceListRecord::FunctionMissing;
    // Listing needs only these rights; an ordinary user is refused full access.
    // Closed through the library's own CloseServiceHandle, before the library goes.
    const DWORD access = SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE;
    const TOwnedHandle<SC_HANDLE> manager(openManager(nullptr, nullptr, access), nullptr, closeManager);
    if (!manager.IsOpen()) {
        services.OpenError = Api.GetLastError();
        return ServiceListRecord::ManagerRefused;
    }
    for (DWORD serviceType : {SERVICE_WIN32, SERVICE_DRIVER}) {
        TPlatformBuffer buffer;
        DWORD count = 0;
        if (!Enumerate(enumServices, manager.Get(), serviceType, buffer, count)) continue;
        const auto* records = reinterpret_cast<const ENUM_SERVICE_STATUS_PROCESSA*>(buffer.Get());
        services.Tables.emplace_back();
        for (DWORD i = 0; i < count; ++i)
            services.Tables.back().push_back({TextWithin(buffer, records[i].lpDisplayName),
                                              TextWithin(buffer, records[i].lpServiceName),
                                              records[i].ServiceStatusProcess.dwCurrentState});
    }
    return ServiceListRecord::Listed;
}

bool TServiceInfo::Enumerate(decltype(&::EnumServicesStatusExA) enumServices, SC_HANDLE manager, DWORD serviceType,
                             TPlatformBuffer& buffer, DWORD& count)
{
    DWORD needed = 0;
    DWORD returned = 0;
    count = 0;
    if (enumServices(manager, SC_ENUM_PROCESS_INFO, serviceType, SERVICE_STATE_ALL, nullptr, 0, &needed, &returned,
                     nullptr, nullptr))
        return true;
    if (Api.GetLastError() != ERROR_MORE_DATA) return false;
    for (int attempt = 0; attempt < EnumerationAttempts; ++attempt) {
        if (!buffer.Resize(needed)) return false;
        const DWORD size = static_cast<DWORD>(buffer.Size());
        needed = 0;
        returned = 0;
        const BOOL done = enumServices(manager, SC_ENUM_PROCESS_INFO, serviceType, SERVICE_STATE_ALL, buffer.Get(),
                                       size, &needed, &returned, nullptr, nullptr);
        if (done || Api.GetLastError() != ERROR_MORE_DATA || needed <= size) break;
    }
    // Never more records than the buffer holds, whatever the count says.
    const DWORD fits = static_cast<DWORD>(buffer.Size() / sizeof(ENUM_SERVICE_STATUS_PROCESSA));
    count = returned < fits ? returned : fits;
    return true;
}

void WriteServiceSection(const ServiceListRecord& services, const OsVersionRecord& version, TSection& section)
{
    section.AddLine(boost::format("Service Infomation:\n"));
    if (version.Info.dwPlatformId != VER_PLATFORM_WIN32_NT) {
        section.AddLine(boost::format("NT系OSではないので処理をスキップします。\n"));
        return;
    }
    const DWORD error = services.OpenError;
    if (services.Step == ServiceListRecord::LibraryMissing)
        section.AddLine(boost::format("DLLのロードに失敗しました。\n"));
    if (services.Step == ServiceListRecord::FunctionMissing)
        section.AddLine(boost::format("関数のアドレス取得に失敗しました。\n"));
    if (services.Step == ServiceListRecord::ManagerRefused) {
        section.AddLine(boost::format("サービスの取得に失敗。\n"));
        if (error == ERROR_ACCESS_DENIED) section.AddLine(boost::format("権限がありません。\n"));
        if (error == ERROR_DATABASE_DOES_NOT_EXIST) section.AddLine(boost::format("データベースが存在しません。\n"));
        if (error == ERROR_INVALID_PARAMETER) section.AddLine(boost::format("パラメータが無効です。\n"));
    }
    for (const std::vector<ServiceRecord>& table : services.Tables) {
        section.AddLine(boost::format(Rule));
        section.AddLine(boost::format(Header));
        section.AddLine(boost::format(Rule));
        for (const ServiceRecord& service : table)
            section.AddLine(boost::format("| %-60s | %-18s | %-20s |\n") % service.DisplayName % service.Name %
                            ServiceStateText(service.State));
        section.AddLine(boost::format(Rule));
    }
}
