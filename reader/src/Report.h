#ifndef ENVCHECK_READER_REPORT_H
#define ENVCHECK_READER_REPORT_H

#include <cstddef>
#include <map>
#include <string>
#include <vector>

// A report as read back. Every text is the file's own cp932 bytes, so that
// rendering the model gives the file again byte for byte.
namespace reader {

struct Cell {
    std::string Text;    // without its padding
    bool Right = false;  // padded on the left
};

struct Table {
    std::vector<size_t> Dashes;     // of each column in the border line
    std::vector<size_t> Widths;     // of the header's cells, in bytes: the border's, or its own
    std::vector<size_t> RowWidths;  // the rows' own, where they differ (the files table)
    std::vector<Cell> Header;
    std::vector<std::vector<Cell>> Rows;
    std::map<size_t, std::vector<size_t>> Own;  // rows of widths of their own (a files table's dates)
    std::map<size_t, std::string> Raw;  // rows kept as written: they fit no column
    bool Closed = false;                // the closing border is there
};

struct Item {
    enum Kind { Field, Text, Blank, Grid };
    Kind Type = Text;
    size_t Line = 0;  // where it starts, from 1
    // Field: Indent Name Separator Value Tail; Text: Indent Value.
    std::string Indent, Name, Separator, Value, Tail;
    // The line runs on into the next item (the Windows 9x OS row).
    bool RunsOn = false;
    Table Cells;
};

struct Section {
    std::string Id;
    size_t Line = 0;
    bool Failed = false;    // the section holds its failure line
    std::string Failure;    // that line
    bool Partial = false;   // a problem was found inside it
    std::vector<Item> Items;
};

struct Problem {
    size_t Line = 0;  // 0: the file as a whole
    std::string Message;
};

enum class Status { Read, Partial, Unreadable };

struct Report {
    std::vector<Section> Sections;
    std::string LineEnd = "\n";
    bool FinalLineEnd = true;
    std::vector<Problem> Problems;
    Status State = Status::Read;

    const Section* Find(const std::string& id) const
    {
        for (const Section& section : Sections)
            if (section.Id == id) return &section;
        return nullptr;
    }
};

// The section ids in the order a report has them.
const std::vector<std::string>& SectionOrder();

}  // namespace reader

#endif
