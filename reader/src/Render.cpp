#include "Render.h"

namespace reader {

std::string RenderBorder(const Table& table)
{
    std::string line = "+";
    for (size_t dashes : table.Dashes) line += std::string(dashes, '-') + "+";
    return line;
}

std::string RenderCells(const std::vector<size_t>& widths, const std::vector<Cell>& cells)
{
    std::string line = "|";
    for (size_t column = 0; column < cells.size(); ++column) {
        const Cell& cell = cells[column];
        const size_t width = column < widths.size() ? widths[column] : 0;
        const std::string pad(cell.Text.size() < width ? width - cell.Text.size() : 0, ' ');
        line += " " + (cell.Right ? pad + cell.Text : cell.Text + pad) + " |";
    }
    return line;
}

namespace {

void RenderItem(const Item& item, const std::string& end, std::string& out)
{
    switch (item.Type) {
    case Item::Field: out += item.Indent + item.Name + item.Separator + item.Value + item.Tail; break;
    case Item::Text: out += item.Indent + item.Value; break;
    case Item::Blank: break;
    case Item::Grid: {
        const Table& table = *item.Cells;
        const std::string border = RenderBorder(table);
        out += border + end + RenderCells(table.Widths, table.Header) + end + border + end;
        for (size_t row = 0; row < table.Rows.size(); ++row) {
            const auto raw = table.Raw.find(row);
            const auto own = table.Own.find(row);
            const std::vector<size_t>& widths = own != table.Own.end() ? own->second
                                                : table.RowWidths.empty() ? table.Widths : table.RowWidths;
            out += (raw != table.Raw.end() ? raw->second : RenderCells(widths, table.Rows[row])) + end;
        }
        if (!table.Closed) return;  // the lines after it start on their own
        out += border;
        break;
    }
    }
    if (!item.RunsOn) out += end;
}

}  // namespace

std::string Render(const Report& report)
{
    std::string out;
    for (const Section& section : report.Sections)
        for (const Item& item : section.Items) RenderItem(item, report.LineEnd, out);
    if (!report.FinalLineEnd && out.size() >= report.LineEnd.size()) out.resize(out.size() - report.LineEnd.size());
    return out + report.Rest;
}

}  // namespace reader
