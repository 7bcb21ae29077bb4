#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "e2e/Envcheck.h"

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

}  // namespace

TEST(ProcessServiceEndToEndTest, TablesListWhatWineRuns)
{
    const std::vector<std::string> lines = ReportLines(HeadlessReport("processes.txt"));
    ASSERT_FALSE(lines.empty()) << "no report";

    std::string rule;
    const std::vector<std::string> processes = TableRows(lines, FindLine(lines, "Process Enum:"), rule);
    ASSERT_FALSE(processes.empty()) << "no process table";
    for (const char* image : {"| envcheck.exe ", "| services.exe ", "| explorer.exe "})
        EXPECT_TRUE(HasRowWith(processes, image)) << image;
    for (const std::string& row : processes) EXPECT_EQ(rule.size(), row.size()) << row;
    EXPECT_TRUE(HasRowWith(processes, "\\envcheck.exe ")) << "the path column has full paths";

    const size_t services = FindLine(lines, "Service Infomation:");
    const std::vector<std::string> win32 = TableRows(lines, services, rule);
    ASSERT_FALSE(win32.empty()) << "no service table";
    EXPECT_TRUE(HasRowWith(win32, "| PlugPlay           | running.             |"));
    EXPECT_TRUE(HasRowWith(win32, "| RpcSs              | running.             |"));
    for (const std::string& row : win32) EXPECT_EQ(rule.size(), row.size()) << row;
    const std::vector<std::string> drivers = TableRows(lines, services + 4 + win32.size(), rule);
    EXPECT_TRUE(HasRowWith(drivers, "| MountMgr           | running.             |"));
}
