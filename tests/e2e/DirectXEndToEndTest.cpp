#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "e2e/Envcheck.h"

namespace {

bool IsPropertyLine(const std::string& line)
{
    const size_t colon = line.find(": ");
    if (line.size() < 4 || line[0] != ' ' || colon == std::string::npos || colon < 2) return false;
    for (size_t i = 1; i < colon; ++i)
        if (!isalnum(static_cast<unsigned char>(line[i]))) return false;
    return true;
}

}  // namespace

TEST(DirectXEndToEndTest, AdapterAndProviderSectionsInOrderUnderWine)
{
    const std::vector<std::string> lines = ReportLines(HeadlessReport("directx.txt"));
    ASSERT_FALSE(lines.empty()) << "no report";
    const char* const headings[] = {"Graphic Adapter information:", "DxDialog DirectX Infomation:",
                                    "DxDialog DirectSound Infomation:", "DxDialog Display Infomation:",
                                    "DxDialog DirectX File Infomation:"};
    std::vector<size_t> at;
    for (const char* heading : headings) {
        at.push_back(FindLine(lines, heading, at.empty() ? 0 : at.back()));
        ASSERT_NE(std::string::npos, at.back()) << heading << " missing or out of order";
    }
    ASSERT_EQ(0u, lines[at[0] + 2].find(" Description : ")) << lines[at[0] + 2];
    EXPECT_GT(lines[at[0] + 2].size(), strlen(" Description : ")) << "Wine names its adapter";
    EXPECT_EQ(38u, lines[at[0] + 3].size() - strlen(" DeviceIdentifier : ")) << lines[at[0] + 3];

    // Provider sections: property lines up to the empty row (the sound list may be empty).
    for (size_t section = 1; section <= 3; ++section) {
        size_t i = at[section] + 1;
        for (; i < lines.size() && !lines[i].empty() && i < at[section + 1]; ++i)
            EXPECT_TRUE(IsPropertyLine(lines[i])) << headings[section] << ": \"" << lines[i] << "\"";
    }
    EXPECT_TRUE(IsPropertyLine(lines[at[1] + 1])) << "the system section has properties";
    EXPECT_TRUE(IsPropertyLine(lines[at[3] + 1])) << "Wine reports a display device";

    // Files: a box of rules, a header and rows with the same columns as far as the date.
    const std::string& rule = lines[at[4] + 1];
    ASSERT_EQ(0u, rule.find("+---+---")) << rule;
    EXPECT_EQ(rule, lines[at[4] + 3]);
    std::vector<size_t> bars;  // the column edges up to the date, where every cell fits
    for (size_t i = 0; i < rule.size() && bars.size() < 6; ++i)
        if (rule[i] == '+') bars.push_back(i);
    size_t row = at[4] + 4;
    for (; row < lines.size() && lines[row] != rule; ++row) {
        const std::string& cells = lines[row];
        for (size_t bar : bars) ASSERT_TRUE(bar < cells.size() && cells[bar] == '|') << bar << ": " << cells;
        EXPECT_EQ(" |", cells.substr(cells.size() - 2)) << cells;
    }
    EXPECT_GT(row, at[4] + 4) << "Wine lists its DirectX files";
    ASSERT_LT(row + 1, lines.size());
    EXPECT_EQ("", lines[row + 1]);
}
