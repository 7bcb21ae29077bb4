#ifndef ENVCHECK_READER_REPORT_H
#define ENVCHECK_READER_REPORT_H

#include <cstddef>
#include <map>
#include <memory>
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
    std::unique_ptr<Table> Cells;  // Grid: most items are lines, and a table is large
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

// So many problems are listed for a report; a last one says how many more there were.
constexpr size_t MaxProblems = 100;

enum class Status { Read, Partial, Unreadable };

struct Report {
    std::vector<Section> Sections;
    std::string LineEnd = "\n";
    bool FinalLineEnd = true;
    std::vector<Problem> Problems;  // by line, at most MaxProblems and the line that counts the rest
    size_t Unlisted = 0;            // problems found beyond those
    std::string Rest;               // what follows past a report's bounds, kept as it is
    Status State = Status::Read;

    // Every problem goes through here: one cap for all of them, and the report is read in part.
    // One that says where the reading stopped is listed always.
    void Flag(size_t line, std::string message, bool always = false)
    {
        State = State == Status::Unreadable ? State : Status::Partial;
        if (always || (Unlisted == 0 && Problems.size() < MaxProblems)) {
            auto at = Problems.end() - (Unlisted != 0 ? 1 : 0);
            while (at != Problems.begin() && (at - 1)->Line > line) --at;
            Problems.insert(at, {line, std::move(message)});
            return;
        }
        if (Unlisted++ == 0) Problems.push_back({0, ""});
        Problems.back().Message = std::to_string(Unlisted) + " more problems are not listed";
    }

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
