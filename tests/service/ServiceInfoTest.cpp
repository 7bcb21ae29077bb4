#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "fakes/service/FakeServiceApi.h"
#include "info/service/ServiceInfo.h"
#include "support/SectionText.h"

namespace {

const std::string Rule =
    "+--------------------------------------------------------------+--------------------+----------------------+\n";
const std::string Header =
    "| 名前                                                         | サービス名         | 状態                 |\n";
const std::string Heading = "Service Infomation:\n";
const std::string EmptyTable = Rule + Header + Rule + Rule;

std::string Row(const std::string& display, const std::string& name, const std::string& state)
{
    auto field = [](const std::string& text, size_t width) {
        return text + std::string(text.size() < width ? width - text.size() : 0, ' ');
    };
    return "| " + field(display, 60) + " | " + field(name, 18) + " | " + field(state, 20) + " |\n";
}

// The section of one run on XP; the manager and advapi32 are always given back.
std::string Listed(TFakeServiceApi& api, const OsVersionRecord& version = XpVersion())
{
    TServiceInfo info(api);
    info.Collect(version);
    EXPECT_EQ(0, api.OpenManagers + api.OpenLibraries()) << "the manager or advapi32 was left open";
    return SectionText(info);
}

}  // namespace

TEST(ServiceInfoTest, WriterRows)
{
    const std::string longName(61, 'D');
    typedef ServiceListRecord List;
    const std::vector<ServiceRecord> services = {{"Windows Audio", "AudioSrv", SERVICE_RUNNING},
                                                 {longName, "long", SERVICE_STOPPED},
                                                 {"Odd", "odd", 9},
                                                 {"Resuming", "resume", SERVICE_CONTINUE_PENDING}};
    const struct {
        ServiceListRecord Services;
        DWORD Platform;
        std::string Text;
    } rows[] = {
        {{List::Listed, 0, {services, {}}}, VER_PLATFORM_WIN32_NT,
         Rule + Header + Rule + Row("Windows Audio", "AudioSrv", "running.") + Row(longName, "long", "not running.") +
             Row("Odd", "odd", "") + Row("Resuming", "resume", "continue is pending.") + Rule + EmptyTable},
        {{List::Listed, 0, {services}}, VER_PLATFORM_WIN32_WINDOWS, "NT系OSではないので処理をスキップします。\n"},
        {{List::Listed, 0, {}}, VER_PLATFORM_WIN32_NT, ""},
        {{List::LibraryMissing, 0, {}}, VER_PLATFORM_WIN32_NT, "DLLのロードに失敗しました。\n"},
        {{List::FunctionMissing, 0, {}}, VER_PLATFORM_WIN32_NT, "関数のアドレス取得に失敗しました。\n"},
        {{List::ManagerRefused, ERROR_ACCESS_DENIED, {}}, VER_PLATFORM_WIN32_NT, "サービスの取得に失敗。\n権限がありません。\n"},
        {{List::ManagerRefused, ERROR_DATABASE_DOES_NOT_EXIST, {}}, VER_PLATFORM_WIN32_NT,
         "サービスの取得に失敗。\nデータベースが存在しません。\n"},
        {{List::ManagerRefused, ERROR_INVALID_PARAMETER, {}}, VER_PLATFORM_WIN32_NT,
         "サービスの取得に失敗。\nパラメータが無効です。\n"},
        {{List::ManagerRefused, ERROR_SERVICE_DATABASE_LOCKED, {}}, VER_PLATFORM_WIN32_NT, "サービスの取得に失敗。\n"},
    };
    for (const auto& row : rows) {
        const TSection section = WrittenSection(WriteServiceSection, row.Services, WindowsVersion(row.Platform, 5, 1));
        EXPECT_EQ(Heading + row.Text, SectionText(section)) << row.Text;
    }
    EXPECT_EQ("| Odd" + std::string(57, ' ') + " | odd" + std::string(15, ' ') + " | " + std::string(20, ' ') + " |\n",
              Row("Odd", "odd", ""));
    EXPECT_EQ(Rule.size(), Row("a", "b", "c").size());
}

TEST(ServiceInfoTest, TwoTablesWithStatesAndOverlongNames)
{
    TFakeServiceApi api;
    const std::string longName(61, 'D');
    api.Services[SERVICE_WIN32] = {{"Windows Audio", "AudioSrv", SERVICE_RUNNING}, {longName, "long", SERVICE_STOPPED}};
    api.Services[SERVICE_DRIVER] = {{"Disk Driver", "disk", SERVICE_RUNNING}};
    EXPECT_EQ(Heading + Rule + Header + Rule + Row("Windows Audio", "AudioSrv", "running.") +
                  Row(longName, "long", "not running.") + Rule + Rule + Header + Rule +
                  Row("Disk Driver", "disk", "running.") + Rule,
              Listed(api));
    EXPECT_EQ(std::vector<std::string>{"C:\\WINDOWS\\system32\\advapi32.DLL"}, api.LoadedPaths);
    EXPECT_EQ(static_cast<DWORD>(SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE), api.AskedAccess);
}

TEST(ServiceInfoTest, OnlyTheNtFamilyHasServices)
{
    TFakeServiceApi api;
    EXPECT_EQ(Heading + "NT系OSではないので処理をスキップします。\n", Listed(api, Windows98Version()));
    EXPECT_TRUE(api.LoadedPaths.empty());
}

TEST(ServiceInfoTest, LibraryFunctionAndManagerFailures)
{
    TFakeServiceApi missing;
    missing.MissingLibraries.insert("advapi32.DLL");
    EXPECT_EQ(Heading + "DLLのロードに失敗しました。\n", Listed(missing));
    for (const char* function : {"OpenSCManagerA", "EnumServicesStatusExA", "CloseServiceHandle"}) {
        TFakeServiceApi api;
        api.MissingFunctions.insert(function);
        EXPECT_EQ(Heading + "関数のアドレス取得に失敗しました。\n", Listed(api)) << function;
    }
    TFakeServiceApi refused;
    refused.OpenError = ERROR_DATABASE_DOES_NOT_EXIST;
    EXPECT_EQ(Heading + "サービスの取得に失敗。\nデータベースが存在しません。\n", Listed(refused));
}

TEST(ServiceInfoTest, AFailedEnumerationLeavesOnlyItsTableOut)
{
    TFakeServiceApi api;
    api.FirstCallErrors[SERVICE_WIN32] = ERROR_ACCESS_DENIED;
    api.Services[SERVICE_WIN32] = {{"Hidden", "hidden", SERVICE_RUNNING}};
    EXPECT_EQ(Heading + EmptyTable, Listed(api));
}

TEST(ServiceInfoTest, AListThatGrowsBetweenTheCallsIsReadWhole)
{
    TFakeServiceApi api;
    api.Services[SERVICE_WIN32] = {{"First", "first", SERVICE_RUNNING}};
    api.Growth = 1;
    EXPECT_EQ(Heading + Rule + Header + Rule + Row("First", "first", "running.") +
                  Row("Added later", "late", "running.") + Rule + EmptyTable,
              Listed(api));
}

TEST(ServiceInfoTest, ACountBeyondTheBufferIsNeverRead)
{
    TFakeServiceApi api;
    api.Services[SERVICE_DRIVER] = {{"Disk", "disk", SERVICE_RUNNING}};
    api.ClaimedCount = 100000;
    const std::string text = Listed(api);
    const size_t rows = std::count(text.begin(), text.end(), '\n') - 1 - 4 - 4;
    EXPECT_LE(rows, 1u) << text;  // 44-byte records in a 54-byte buffer
    EXPECT_NE(std::string::npos, text.find(Row("Disk", "disk", "running."))) << text;
}
