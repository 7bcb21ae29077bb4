#include "Parser.h"

#include <algorithm>
#include <cstring>

#include "Cp932.h"
#include "Render.h"

namespace reader {

namespace {

struct Heading {
    const char* Text;
    const char* Id;
};

const char EnvironmentHeading[] = "Environment variables (partial list): ";

const Heading Headings[] = {
    {"Hardware information: ", "hardware"},
    {"Memory information: ", "memory"},
    {EnvironmentHeading, "environment"},
    {"Graphic Adapter information:", "d3d9"},
    {"DxDialog DirectX Infomation:", "dx_system"},
    {"DxDialog DirectSound Infomation:", "dx_sound"},
    {"DxDialog Display Infomation:", "dx_display"},
    {"DxDialog DirectX File Infomation:", "dx_files"},
    {"Process Enum:", "processes"},
    {"Service Infomation:", "services"},
    {"Network Infomation:", "network"},
    {"Drive information: ", "drives"},
    {"Current system information:", "current"},
};

// A collector that could not gather writes one of these in place of its data.
const Heading Failures[] = {
    {"DirectXの初期化に失敗しました", "directx"},
    {"Windows NT 4.0は未対応です。", "processes"},
    {"NT系OSではないので処理をスキップします。", "services"},
    {"DLLのロードに失敗しました。", "services"},
    {"関数のアドレス取得に失敗しました。", "services"},
    {"サービスの取得に失敗。", "services"},
    {"ネットワークのパラメータの取得に失敗しました。", "network"},
    {" DXGIが利用できません。", "current"},
};

// Lines without a name and value that a section has besides its failure.
const Heading Statements[] = {
    {"権限がありません。", "services"},
    {"データベースが存在しません。", "services"},
    {"パラメータが無効です。", "services"},
    {"adapter enabled DHCP.", "network"},
    {"adapter uses Wins.", "network"},
    {"EnableDNS.", "network"},
    {"EnableProxy.", "network"},
    {"EnableRouting.", "network"},
};

const char* const NamePrefixes[] = {"Computer name:", "User name:", "System directory:", "Windows directory:"};

const char* HeadingId(const std::string& line)
{
    for (const Heading& heading : Headings)
        if (line == heading.Text) return heading.Id;
    return nullptr;
}

const char* Lookup(const Heading* table, size_t count, const std::string& line)
{
    for (size_t n = 0; n < count; ++n)
        if (line == table[n].Text) return table[n].Id;
    return nullptr;
}

bool StartsWith(const std::string& text, const char* prefix) { return text.compare(0, std::strlen(prefix), prefix) == 0; }

size_t NamePrefixAt(const std::string& line)
{
    size_t first = std::string::npos;
    for (const char* prefix : NamePrefixes) first = std::min(first, line.find(prefix));
    return first;
}

bool IsBorder(const std::string& line)
{
    if (line.size() < 4 || line[0] != '+' || line.back() != '+' || line[1] != '-') return false;
    return line.find_first_not_of("+-") == std::string::npos && line.find("++") == std::string::npos;
}

std::vector<size_t> BorderDashes(const std::string& line)
{
    std::vector<size_t> dashes;
    size_t start = 1;
    for (size_t plus = line.find('+', 1); plus != std::string::npos; plus = line.find('+', plus + 1)) {
        dashes.push_back(plus - start);
        start = plus + 1;
    }
    return dashes;
}

// The content of one cell without its padding; false when both sides are padded.
bool CellOf(const std::string& content, size_t width, Cell& cell)
{
    // A text longer than its column is written unpadded.
    if (content.size() > width) {
        if (content.front() == ' ' || content.back() == ' ') return false;
        cell = {content, false};
        return true;
    }
    const size_t first = content.find_first_not_of(' ');
    if (first == std::string::npos) {
        cell = {"", false};
        return true;
    }
    const size_t last = content.find_last_not_of(' ');
    if (first == 0) {
        cell = {content.substr(0, last + 1), false};
        return true;
    }
    if (last + 1 != content.size()) return false;
    cell = {content.substr(first), true};
    return true;
}

// The parts of a row between its '|' signs, stepping over double-byte
// characters (whose second byte may be a '|'); empty when it is no row.
std::vector<std::string> RowParts(const std::string& line)
{
    std::vector<std::string> parts;
    if (line.empty() || line[0] != '|') return parts;
    size_t start = 1;
    for (size_t at = 1; at < line.size();) {
        if (line[at] == '|') {
            parts.push_back(line.substr(start, at - start));
            start = at + 1;
        }
        const size_t length = Cp932CharLength(line, at);
        at += length == 0 ? 1 : length;
    }
    if (start != line.size()) parts.clear();
    return parts;
}

bool ParseRow(const std::vector<size_t>& widths, const std::string& line, std::vector<Cell>& cells)
{
    const std::vector<std::string> parts = RowParts(line);
    if (parts.size() != widths.size()) return false;
    cells.clear();
    for (size_t n = 0; n < parts.size(); ++n) {
        const std::string& part = parts[n];
        if (part.size() < 2 || part.front() != ' ' || part.back() != ' ') return false;
        const std::string content = part.substr(1, part.size() - 2);
        Cell cell;
        if (content.size() < widths[n] || !CellOf(content, widths[n], cell)) return false;
        cells.push_back(cell);
    }
    return RenderCells(widths, cells) == line;
}

// The widths a row itself has, cell by cell.
std::vector<size_t> OwnWidths(const std::string& line, size_t columns)
{
    std::vector<size_t> widths;
    for (const std::string& part : RowParts(line)) widths.push_back(part.size() >= 2 ? part.size() - 2 : 0);
    if (widths.size() != columns) widths.clear();
    return widths;
}

class TParser {
public:
    explicit TParser(Report& report) : Out(report) {}

    void Run(const std::vector<std::string>& lines)
    {
        Lines = &lines;
        for (Index = 0; Index < lines.size(); ++Index) Take(lines[Index]);
        Finish();
    }

private:
    void Flag(size_t line, const std::string& message)
    {
        if (Out.Problems.size() < 100)
            Out.Problems.push_back({line, message});
        else if (Out.Problems.size() == 100)
            Out.Problems.push_back({line, "more problems follow; only the first 100 are listed"});
        if (!Out.Sections.empty()) Out.Sections.back().Partial = true;
    }

    size_t LineNo() const { return Index + 1; }

    Section& Open(const std::string& id)
    {
        Section section;
        section.Id = id;
        section.Line = LineNo();
        Out.Sections.push_back(section);
        SeenBlank = false;
        return Out.Sections.back();
    }

    Section& Current()
    {
        if (Out.Sections.empty()) {
            Open("unknown");
            Flag(LineNo(), "the text before the first section heading is not part of a report");
        }
        return Out.Sections.back();
    }

    Item& Add(Item::Kind kind)
    {
        Item item;
        item.Type = kind;
        item.Line = LineNo();
        Current().Items.push_back(item);
        return Current().Items.back();
    }

    void Take(const std::string& line)
    {
        if (const char* id = HeadingId(line)) {
            Open(id);
            AddText(line);
            return;
        }
        const std::string section = Out.Sections.empty() ? "" : Out.Sections.back().Id;
        if (const char* failure = Lookup(Failures, sizeof(Failures) / sizeof(Failures[0]), line)) {
            if (section != failure) Open(failure);
            Section& current = Current();
            if (!current.Failed) {
                current.Failed = true;
                current.Failure = line;
            }
            AddText(line);
            return;
        }
        if (line.empty()) {
            Add(Item::Blank);
            SeenBlank = true;
            return;
        }
        if (section == "memory" && SeenBlank) {
            if (NamePrefixAt(line) != 0) {
                TakeOsRow(line);
                return;
            }
            Open("names");
        } else if (section == "os") {
            Open("names");
        }
        if (IsBorder(line)) {
            TakeTable();
            return;
        }
        TakeLine(line);
    }

    // The OS row; on Windows 9x it has no line end, and what follows it (the
    // names, or the environment's heading when no name could be read) runs on.
    void TakeOsRow(const std::string& line)
    {
        Open("os");
        const size_t next = std::min(NamePrefixAt(line), line.find(EnvironmentHeading));
        if (next == std::string::npos || next == 0) {
            AddText(line);
            return;
        }
        AddText(line.substr(0, next)).RunsOn = true;
        Take(line.substr(next));
    }

    void TakeLine(const std::string& line)
    {
        const std::string& id = Current().Id;
        if (id == "memory") {
            const size_t space = line.find(' ');
            if (space != std::string::npos && space > 0) {
                Item& item = Add(Item::Field);
                const size_t value = line.find_first_not_of(' ', space);
                item.Name = line.substr(0, space);
                item.Separator = line.substr(space, (value == std::string::npos ? line.size() : value) - space);
                item.Value = value == std::string::npos ? "" : line.substr(value);
                return;
            }
        } else if (id == "environment") {
            const size_t indent = line.find_first_not_of(' ');
            const size_t equals = indent == std::string::npos ? std::string::npos : line.find('=', indent + 1);
            if (equals != std::string::npos) {
                Item& item = Add(Item::Field);
                item.Indent = line.substr(0, indent);
                item.Name = line.substr(indent, equals - indent);
                item.Separator = "=";
                item.Value = line.substr(equals + 1);
                return;
            }
        } else if (line.find(':') != std::string::npos && id != "os") {
            AddField(line, ':');
            return;
        }
        AddText(line);
        if (!Expected(id, line)) Flag(LineNo(), "a line the section '" + id + "' does not have: " + Utf8(line.substr(0, 80)));
    }

    static bool Expected(const std::string& id, const std::string& line)
    {
        if (id == "os" || id == "unknown") return true;
        if (const char* owner = Lookup(Statements, sizeof(Statements) / sizeof(Statements[0]), line)) return id == owner;
        if (id == "hardware") {
            const size_t start = line.find_first_not_of(' ');
            const std::string text = line.substr(start == std::string::npos ? line.size() : start);
            const std::string tail = "Support.";
            return StartsWith(text, "HyperThreading Support. (") ||
                   (text.size() > tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0);
        }
        return false;
    }

    Item& AddText(const std::string& line)
    {
        Item& item = Add(Item::Text);
        const size_t start = line.find_first_not_of(' ');
        const size_t indent = start == std::string::npos ? 0 : start;
        item.Indent = line.substr(0, indent);
        item.Value = line.substr(indent);
        return item;
    }

    void AddField(const std::string& line, char sign)
    {
        Item& item = Add(Item::Field);
        const size_t start = line.find_first_not_of(' ');
        const size_t at = line.find(sign);
        size_t nameEnd = at;
        while (nameEnd > start && line[nameEnd - 1] == ' ') --nameEnd;
        size_t value = at + 1;
        while (value < line.size() && line[value] == ' ') ++value;
        size_t tail = line.size();
        while (tail > value && line[tail - 1] == ' ') --tail;
        item.Indent = line.substr(0, start);
        item.Name = line.substr(start, nameEnd - start);
        item.Separator = line.substr(nameEnd, value - nameEnd);
        item.Value = line.substr(value, tail - value);
        item.Tail = line.substr(tail);
    }

    // A border, a header, a border, rows, and a closing border.
    void TakeTable()
    {
        const std::vector<std::string>& lines = *Lines;
        Item& item = Add(Item::Grid);
        Table& table = item.Cells;
        table.Dashes = BorderDashes(lines[Index]);
        for (size_t dashes : table.Dashes) table.Widths.push_back(dashes >= 2 ? dashes - 2 : 0);
        const std::string border = lines[Index];
        // An empty table's border may be narrower than its header.
        if (Index + 1 < lines.size() && !ParseRow(table.Widths, lines[Index + 1], table.Header)) {
            const std::vector<size_t> own = OwnWidths(lines[Index + 1], table.Widths.size());
            if (!own.empty()) table.Widths = own;
        }
        if (Index + 2 >= lines.size() || lines[Index + 2] != border ||
            !ParseRow(table.Widths, lines[Index + 1], table.Header)) {
            // Not a table after all: the lines stay as they are.
            Current().Items.pop_back();
            AddText(lines[Index]);
            Flag(LineNo(), "a table border without its header");
            return;
        }
        Index += 3;
        const size_t first = Index;
        while (Index < lines.size() && lines[Index] != border && !lines[Index].empty() && lines[Index][0] == '|') ++Index;
        table.Closed = Index < lines.size() && lines[Index] == border;
        const size_t end = Index;
        table.RowWidths = RowWidths(table, lines, first, end);
        const std::vector<size_t>& widths = table.RowWidths.empty() ? table.Widths : table.RowWidths;
        for (Index = first; Index < end; ++Index) {
            std::vector<Cell> cells;
            table.Rows.push_back({});
            if (ParseRow(widths, lines[Index], cells)) {
                table.Rows.back() = cells;
            } else {
                table.Raw[table.Rows.size() - 1] = lines[Index];
                Flag(LineNo(), "a table row that does not fit its columns");
            }
        }
        if (table.Closed) return;
        Flag(LineNo(), "the table has no closing border: its list was cut short");
        --Index;
    }

    // The rows' widths where they are not the header's (the files table):
    // those most rows have, so one edited row cannot set them.
    static std::vector<size_t> RowWidths(const Table& table, const std::vector<std::string>& lines, size_t first,
                                         size_t end)
    {
        std::map<std::vector<size_t>, size_t> seen;
        std::vector<Cell> cells;
        for (size_t n = first; n < end; ++n) {
            if (ParseRow(table.Widths, lines[n], cells)) {
                ++seen[table.Widths];
                continue;
            }
            const std::vector<size_t> own = OwnWidths(lines[n], table.Dashes.size());
            if (!own.empty() && ParseRow(own, lines[n], cells)) ++seen[own];
        }
        std::vector<size_t> best;
        size_t most = 0;
        for (const auto& entry : seen)
            if (entry.second > most) {
                best = entry.first;
                most = entry.second;
            }
        return best == table.Widths ? std::vector<size_t>() : best;
    }

    void Finish()
    {
        std::vector<std::string> order = SectionOrder();
        auto rank = [&](const std::string& id) {
            return static_cast<size_t>(std::find(order.begin(), order.end(), id) - order.begin());
        };
        size_t last = 0;
        bool first = true;
        for (Section& section : Out.Sections) {
            const size_t now = rank(section.Id);
            if (!first && now <= last && section.Id != "unknown") {
                section.Partial = true;
                Out.Problems.push_back({section.Line, "the section '" + section.Id + "' is out of its place"});
            }
            last = std::max(last, now);
            first = false;
        }
        if (!Out.Sections.empty() && Out.Sections.front().Id != "hardware")
            Out.Problems.push_back({1, "a report begins with its hardware section"});
        for (const char* id : {"hardware", "memory", "names", "environment", "processes", "services", "network", "drives"})
            if (Out.Find(id) == nullptr) Out.Problems.push_back({0, std::string("no section '") + id + "'"});
        if (!Out.Sections.empty()) {
            const Section& end = Out.Sections.back();
            const bool closed = !end.Items.empty() && end.Items.back().Type == Item::Blank;
            if ((end.Id != "drives" && end.Id != "current") || !closed) {
                Out.Problems.push_back({Lines->size(), "the report ends inside its section '" + end.Id +
                                                           "': the file is cut short"});
                Out.Sections.back().Partial = true;
            }
        }
    }

    Report& Out;
    const std::vector<std::string>* Lines = nullptr;
    size_t Index = 0;
    bool SeenBlank = false;
};

}  // namespace

const std::vector<std::string>& SectionOrder()
{
    static const std::vector<std::string> order = {
        "unknown",  "hardware",  "memory",   "os",         "names",      "environment", "directx",
        "d3d9",     "dx_system", "dx_sound", "dx_display", "dx_files",   "processes",   "services",
        "network",  "drives",    "current"};
    return order;
}

Report Parse(const std::string& bytes)
{
    Report report;
    if (bytes.empty()) {
        report.State = Status::Unreadable;
        report.Problems.push_back({0, "the file is empty"});
        return report;
    }
    if (bytes.size() > MaxReportBytes) {
        report.State = Status::Unreadable;
        report.Problems.push_back({0, "the file has " + std::to_string(bytes.size()) +
                                          " bytes; no report is larger than " + std::to_string(MaxReportBytes)});
        return report;
    }
    const size_t firstEnd = bytes.find('\n');
    if (firstEnd != std::string::npos && firstEnd > 0 && bytes[firstEnd - 1] == '\r') report.LineEnd = "\r\n";
    std::vector<std::string> lines;
    for (size_t start = 0; start < bytes.size();) {
        size_t end = bytes.find(report.LineEnd, start);
        if (end == std::string::npos) {
            lines.push_back(bytes.substr(start));
            report.FinalLineEnd = false;
            break;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + report.LineEnd.size();
    }
    TParser parser(report);
    parser.Run(lines);
    bool heading = false;
    for (const Section& section : report.Sections) heading = heading || section.Id != "unknown";
    if (!heading) {
        report.State = Status::Unreadable;
        report.Problems.insert(report.Problems.begin(), {0, "not a report: it has no section heading of one"});
        return report;
    }
    for (size_t n = 0; n < lines.size(); ++n) {
        const size_t bad = FirstInvalidCp932(lines[n]);
        if (bad == std::string::npos) continue;
        report.Problems.push_back({n + 1, "byte " + std::to_string(static_cast<unsigned char>(lines[n][bad])) +
                                              " at column " + std::to_string(bad + 1) + " is not cp932 text"});
        if (report.Problems.size() > 120) break;
    }
    if (!report.FinalLineEnd) report.Problems.push_back({lines.size(), "the last line has no line end: the file is cut short"});
    std::stable_sort(report.Problems.begin(), report.Problems.end(),
                     [](const Problem& a, const Problem& b) { return a.Line < b.Line; });
    if (!report.Problems.empty()) report.State = Status::Partial;
    return report;
}

}  // namespace reader
