#include "info/process/ProcessInfo.h"

#include <algorithm>
#include <array>

namespace {

typedef std::array<std::string, 3> TCells;  // ID, image name, path
typedef std::array<int, 3> TWidths;

void AddRepeated(TSection& section, const char* piece, int times)
{
    for (int i = 0; i < times; ++i) section.AddLine(boost::format(piece));
}

void AddRule(TSection& section, const TWidths& widths)
{
    for (int width : widths) {
        section.AddLine(boost::format("+"));
        AddRepeated(section, "-", width + 2);
    }
    section.AddLine(boost::format("+\n"));
}

// Text cells are padded on the right; the IDs of the rows on the left.
void AddRow(TSection& section, const TCells& cells, const TWidths& widths, bool idOnTheRight)
{
    for (size_t i = 0; i < cells.size(); ++i) {
        const int padding = widths[i] - static_cast<int>(cells[i].size());
        section.AddLine(boost::format("|"));
        if (i == 0 && idOnTheRight) {
            AddRepeated(section, " ", padding + 1);
            section.AddLine(boost::format("%s ") % cells[i]);
        } else {
            section.AddLine(boost::format(" %s ") % cells[i]);
            AddRepeated(section, " ", padding);
        }
    }
    section.AddLine(boost::format("|\n"));
}

}  // namespace

void WriteProcessSection(const std::vector<ProcessRecord>& processes, const OsVersionRecord& version, TSection& section)
{
    section.AddLine(boost::format("Process Enum:\n"));
    if (version.Info.dwPlatformId == VER_PLATFORM_WIN32_NT && version.Info.dwMajorVersion == 4)
        section.AddLine(boost::format("Windows NT 4.0は未対応です。\n"));
    if (ListsProcesses(version)) {
        std::vector<TCells> rows;
        TWidths widths = {-1, 12, 8};  // no row: the ID column is one dash wide
        for (const ProcessRecord& process : processes) {
            rows.push_back({(boost::format("%u") % process.Id).str(), process.ImageName, process.Path});
            for (size_t i = 0; i < widths.size(); ++i)
                widths[i] = std::max(widths[i], static_cast<int>(rows.back()[i].size()));
        }
        AddRule(section, widths);
        AddRow(section, {"PID", "イメージ名", "項目名"}, widths, false);
        AddRule(section, widths);
        for (const TCells& row : rows) AddRow(section, row, widths, true);
        AddRule(section, widths);
    }
    section.AddLine(boost::format("\n"));
}
