#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "fakes/service/FakeServiceApi.h"
#include "info/OsVersion.h"
#include "info/service/ServiceInfo.h"
#include "support/SavedOsVersion.h"

namespace {

const std::string Rule =
    "+--------------------------------------------------------------+--------------------+----------------------+\n";
const std::string Header =
    "| 名前                                                         | サービス名         | 状態                 |\n";
const std::string Heading = "Service Infomation:\n";
const std::string EmptyTable = Rule + Header + Rule + Rule;

class ServiceInfoTest : public ::testing::Test {
protected:
    ServiceInfoTest()
    {
        OsVersion.dwPlatformId = VER_PLATFORM_WIN32_NT;
    }
    std::string Run(TFakeServiceApi& api)
    {
        TServiceInfo info(api);
        info.Collect();
        EXPECT_EQ(0, api.OpenManagers) << "the manager was left open";
        EXPECT_EQ(0, api.OpenLibraries()) << "advapi32 was left loaded";
        std::string text;
        for (const std::string& element : info.GetLines()) text += element;
        return text;
    }
    TFakeServiceApi Api;

private:
    TSavedOsVersion SavedVersion;
};

std::string Row(const std::string& display, const std::string& name, const std::string& state)
{
    auto field = [](const std::string& text, size_t width) {
        return text + std::string(text.size() < width ? width - text.size() : 0, ' ');
    };
    return "| " + field(display, 60) + " | " + field(name, 18) + " | " + field(state, 20) + " |\n";
}

}  // namespace

TEST_F(ServiceInfoTest, TwoTablesWithStatesAndOverlongNames)
{
    const std::string longName(61, 'D');
    Api.Services[SERVICE_WIN32] = {{"Windows Audio", "AudioSrv", SERVICE_RUNNING},
                                   {longName, "long", SERVICE_STOPPED},
                                   {"Odd", "odd", 9},
                                   {"Resuming", "resume", SERVICE_CONTINUE_PENDING}};
    Api.Services[SERVICE_DRIVER] = {{"Disk Driver", "disk", SERVICE_RUNNING}};
    const std::string text = Run(Api);
    EXPECT_EQ(Heading + Rule + Header + Rule + Row("Windows Audio", "AudioSrv", "running.") +
                  Row(longName, "long", "not running.") + Row("Odd", "odd", "") +
                  Row("Resuming", "resume", "continue is pending.") + Rule + Rule + Header + Rule +
                  Row("Disk Driver", "disk", "running.") + Rule,
              text);
    EXPECT_NE(std::string::npos, text.find("| Odd" + std::string(57, ' ') + " | odd" + std::string(15, ' ') + " | " +
                                           std::string(20, ' ') + " |\n"));
    EXPECT_NE(std::string::npos, text.find("| " + longName + " | long ")) << "nothing is cut";
    EXPECT_EQ("C:\\WINDOWS\\system32\\advapi32.DLL", Api.LoadedPaths.at(0));
    EXPECT_EQ(static_cast<DWORD>(SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE), Api.AskedAccess);
    EXPECT_EQ(Rule.size(), Row("a", "b", "c").size());
}

TEST_F(ServiceInfoTest, OnlyTheNtFamilyHasServices)
{
    OsVersion.dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
    EXPECT_EQ(Heading + "NT系OSではないので処理をスキップします。\n", Run(Api));
    EXPECT_TRUE(Api.LoadedPaths.empty());
}

TEST_F(ServiceInfoTest, LibraryFunctionAndManagerFailures)
{
    TFakeServiceApi missing;
    missing.MissingLibraries.insert("advapi32.DLL");
    EXPECT_EQ(Heading + "DLLのロードに失敗しました。\n", Run(missing));
    for (const char* function : {"OpenSCManagerA", "EnumServicesStatusExA", "CloseServiceHandle"}) {
        TFakeServiceApi api;
        api.MissingFunctions.insert(function);
        EXPECT_EQ(Heading + "関数のアドレス取得に失敗しました。\n", Run(api)) << function;
    }
    const std::pair<DWORD, std::string> errors[] = {{ERROR_ACCESS_DENIED, "権限がありません。\n"},
                                                    {ERROR_DATABASE_DOES_NOT_EXIST, "データベースが存在しません。\n"},
                                                    {ERROR_INVALID_PARAMETER, "パラメータが無効です。\n"},
                                                    {ERROR_SERVICE_DATABASE_LOCKED, ""}};
    for (const auto& error : errors) {
        TFakeServiceApi api;
        api.OpenError = error.first;
        EXPECT_EQ(Heading + "サービスの取得に失敗。\n" + error.second, Run(api)) << error.first;
    }
}

TEST_F(ServiceInfoTest, AFailedEnumerationLeavesOnlyItsTableOut)
{
    Api.FirstCallErrors[SERVICE_WIN32] = ERROR_ACCESS_DENIED;
    Api.Services[SERVICE_WIN32] = {{"Hidden", "hidden", SERVICE_RUNNING}};
    EXPECT_EQ(Heading + EmptyTable, Run(Api));
}

TEST_F(ServiceInfoTest, AListThatGrowsBetweenTheCallsIsReadWhole)
{
    Api.Services[SERVICE_WIN32] = {{"First", "first", SERVICE_RUNNING}};
    Api.Growth = 1;
    const std::string text = Run(Api);
    EXPECT_NE(std::string::npos, text.find(Row("First", "first", "running."))) << text;
    EXPECT_NE(std::string::npos, text.find(Row("Added later", "late", "running."))) << text;
}

TEST_F(ServiceInfoTest, ACountBeyondTheBufferIsNeverRead)
{
    Api.Services[SERVICE_DRIVER] = {{"Disk", "disk", SERVICE_RUNNING}};
    Api.ClaimedCount = 100000;
    const std::string text = Run(Api);
    const size_t rows = std::count(text.begin(), text.end(), '\n') - 1 - 4 - 4;
    EXPECT_LE(rows, 1u) << text;  // 44-byte records in a 54-byte buffer
    EXPECT_NE(std::string::npos, text.find(Row("Disk", "disk", "running."))) << text;
}
