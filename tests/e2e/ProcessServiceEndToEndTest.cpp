#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "e2e/Envcheck.h"
#include "info/service/ServiceInfo.h"

namespace {

// The rows of the table that follows a heading: its header between the first
// two rules, its rows up to the third. Empty when the box is not whole.
std::vector<std::string> TableRows(const std::vector<std::string>& lines, size_t heading, std::string& rule)
{
    if (heading == std::string::npos || heading + 3 >= lines.size()) return {};
    rule = lines[heading + 1];
    if (rule.empty() || rule[0] != '+' || lines[heading + 3] != rule) return {};
    std::vector<std::string> rows;
    for (size_t i = heading + 4; i < lines.size() && lines[i] != rule; ++i) rows.push_back(lines[i]);
    return rows;
}

bool HasRowWith(const std::vector<std::string>& rows, const std::string& text)
{
    for (const std::string& row : rows)
        if (row.find(text) != std::string::npos) return true;
    return false;
}

// The service manager's own word on a service's state, as the table words it.
std::string StateNow(const char* service)
{
    std::string state = "(unknown)";
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE handle = manager ? OpenServiceA(manager, service, SERVICE_QUERY_STATUS) : nullptr;
    SERVICE_STATUS status = {};
    if (handle != nullptr && QueryServiceStatus(handle, &status)) state = ServiceStateText(status.dwCurrentState);
    if (handle != nullptr) CloseServiceHandle(handle);
    if (manager != nullptr) CloseServiceHandle(manager);
    return state;
}

std::string Row(const std::string& name, const std::string& state)
{
    return "| " + name + std::string(name.size() < 18 ? 18 - name.size() : 0, ' ') + " | " + state +
           std::string(state.size() < 20 ? 20 - state.size() : 0, ' ') + " |";
}

// A row for the service in the state the service manager gave just before or
// just after the report: what ran before may have started or stopped it.
void ExpectStateRow(const std::vector<std::string>& rows, const char* service, const std::string& before,
                    const std::string& after)
{
    EXPECT_TRUE(HasRowWith(rows, Row(service, before)) || HasRowWith(rows, Row(service, after)))
        << service << ": the service manager said " << before << " before the report and " << after << " after";
}

}  // namespace

TEST(ProcessServiceEndToEndTest, TablesListWhatWineRuns)
{
    const char* const services[] = {"PlugPlay", "RpcSs", "MountMgr"};
    std::vector<std::string> before;
    for (const char* service : services) before.push_back(StateNow(service));
    const std::vector<std::string> lines = ReportLines(HeadlessReport("processes.txt"));
    ASSERT_FALSE(lines.empty()) << "no report";

    std::string rule;
    const std::vector<std::string> processes = TableRows(lines, FindLine(lines, "Process Enum:"), rule);
    ASSERT_FALSE(processes.empty()) << "no process table";
    for (const char* image : {"| envcheck.exe ", "| services.exe ", "| explorer.exe "})
        EXPECT_TRUE(HasRowWith(processes, image)) << image;
    for (const std::string& row : processes) EXPECT_EQ(rule.size(), row.size()) << row;
    EXPECT_TRUE(HasRowWith(processes, "\\envcheck.exe ")) << "the path column has full paths";

    const size_t heading = FindLine(lines, "Service Infomation:");
    const std::vector<std::string> win32 = TableRows(lines, heading, rule);
    ASSERT_FALSE(win32.empty()) << "no service table";
    for (int i = 0; i < 2; ++i) ExpectStateRow(win32, services[i], before[i], StateNow(services[i]));
    for (const std::string& row : win32) EXPECT_EQ(rule.size(), row.size()) << row;
    const std::vector<std::string> drivers = TableRows(lines, heading + 4 + win32.size(), rule);
    ExpectStateRow(drivers, services[2], before[2], StateNow(services[2]));
}
