#include "Parser.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "Cp932.h"
#include "Text.h"

namespace reader {

namespace {

using namespace std::string_view_literals;

struct Heading {
    std::string_view Text;
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
    {" (none)", "current"},  // the crashes' list when there were none
};

// Lines that say an enumeration ended in an error, each followed by its HRESULT.
const Heading Interruptions[] = {
    {" ディスプレイの列挙に失敗しました。(HRESULT ", "current"},
    {"グラフィックアダプタの列挙に失敗しました。(HRESULT ", "current"},
};

const char* const NamePrefixes[] = {"Computer name:", "User name:", "System directory:", "Windows directory:"};

template <size_t Count>
const char* Lookup(const Heading (&table)[Count], std::string_view line)
{
    for (const Heading& entry : table)
        if (line.size() == entry.Text.size() && line == entry.Text) return entry.Id;
    return nullptr;
}

const char* HeadingId(std::string_view line) { return Lookup(Headings, line); }

size_t NamePrefixAt(std::string_view line)
{
    size_t first = std::string::npos;
    for (const char* prefix : NamePrefixes) first = std::min(first, line.find(prefix));
    return first;
}

bool IsBorder(std::string_view line)
{
    if (line.size() < 4 || line[0] != '+' || line.back() != '+' || line[1] != '-') return false;
    return line.find_first_not_of("+-") == std::string::npos && line.find("++") == std::string::npos;
}

std::vector<size_t> BorderDashes(std::string_view line)
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
bool CellOf(std::string_view content, size_t width, Cell& cell)
{
    // A text longer than its column is written unpadded.
    if (content.size() > width) {
        if (content.front() == ' ' || content.back() == ' ') return false;
        cell = {std::string(content), false};
        return true;
    }
    const size_t first = content.find_first_not_of(' ');
    if (first == std::string::npos) {
        cell = {"", false};
        return true;
    }
    const size_t last = content.find_last_not_of(' ');
    if (first == 0) {
        cell = {std::string(content.substr(0, last + 1)), false};
        return true;
    }
    if (last + 1 != content.size()) return false;
    cell = {std::string(content.substr(first)), true};
    return true;
}

// The parts of a row between its '|' signs, as offset and length, stepping
// over double-byte characters (whose second byte may be a '|'); empty when it is no row.
using Parts = std::vector<std::pair<size_t, size_t>>;

// Fills one buffer per thread: rows are many, and each would allocate its own.
const Parts& RowParts(std::string_view line)
{
    thread_local Parts parts;
    parts.clear();
    if (line.empty() || line[0] != '|') return parts;
    size_t start = 1;
    if (AsciiRun(line, 0) == line.size()) {
        for (size_t bar = line.find('|', 1); bar != std::string_view::npos; bar = line.find('|', bar + 1)) {
            parts.emplace_back(start, bar - start);
            start = bar + 1;
        }
    } else {
        for (size_t at = 1; at < line.size();) {
            if (line[at] == '|') {
                parts.emplace_back(start, at - start);
                start = at + 1;
            }
            const size_t length = Cp932CharLength(line, at);
            at += length == 0 ? 1 : length;
        }
    }
    if (start != line.size()) parts.clear();
    return parts;
}

bool ParseRow(const std::vector<size_t>& widths, std::string_view line, std::vector<Cell>& cells)
{
    const Parts& parts = RowParts(line);
    if (parts.size() != widths.size()) return false;
    // The shape first, before any cell is made.
    for (size_t n = 0; n < parts.size(); ++n) {
        const auto [at, size] = parts[n];
        if (size < 2 || line[at] != ' ' || line[at + size - 1] != ' ' || size - 2 < widths[n]) return false;
    }
    cells.clear();
    cells.reserve(parts.size());
    for (size_t n = 0; n < parts.size(); ++n) {
        const auto [at, size] = parts[n];
        Cell cell;
        if (!CellOf(line.substr(at + 1, size - 2), widths[n], cell)) return false;
        cells.push_back(std::move(cell));
    }
    // Each cell is its text padded on one side only, so rendering gives the line again.
    return true;
}

// The widths a row itself has, cell by cell.
std::vector<size_t> OwnWidths(std::string_view line, size_t columns)
{
    std::vector<size_t> widths;
    for (const auto& part : RowParts(line)) widths.push_back(part.second >= 2 ? part.second - 2 : 0);
    if (widths.size() != columns) widths.clear();
    return widths;
}

class TParser {
public:
    explicit TParser(Report& report) : Out(report) {}

    void Run(const std::vector<std::string_view>& lines)
    {
        Lines = &lines;
        // What a player wrote above the report is theirs, kept as it is.
        size_t preface = 0;
        while (preface < lines.size() && HeadingId(lines[preface]) == nullptr) ++preface;
        if (preface == lines.size() || std::string_view(HeadingId(lines[preface])) != "hardware") preface = 0;
        for (Index = 0; Index < preface; ++Index) {
            if (Index == 0) Open("preface");
            if (lines[Index].empty())
                Add(Item::Blank);
            else
                AddText(lines[Index]);
        }
        for (; Index < lines.size() && Stop == nullptr; ++Index) Take(lines[Index]);
        Finish();
    }

    // Where the parse stopped at a report's bounds (its lines are past them), or null.
    const char* Stop = nullptr;
    size_t StopIndex = 0;

private:
    void Flag(size_t line, std::string message)
    {
        Out.Flag(line, std::move(message));
        if (!Out.Sections.empty()) Out.Sections.back().Partial = true;
    }

    size_t LineNo() const { return Index + 1; }

    Section& Open(const std::string& id)
    {
        Section& section = Out.Sections.emplace_back();
        section.Id = id;
        section.Line = LineNo();
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
        Item& item = Current().Items.emplace_back();
        item.Type = kind;
        item.Line = LineNo();
        return item;
    }

    void Take(std::string_view line)
    {
        // No report has so many sections: the rest is kept as it is, unread.
        if (Out.Sections.size() >= MaxSections && (HeadingId(line) != nullptr || Lookup(Failures, line) != nullptr)) {
            Out.Flag(LineNo(), "the report has more than " + std::to_string(MaxSections) +
                                   " sections; from here on it is kept as text, unread", true);
            Stop = line.data();
            StopIndex = Index;
            return;
        }
        if (const char* id = HeadingId(line)) {
            Open(id);
            AddText(line);
            return;
        }
        const std::string_view section = Out.Sections.empty() ? std::string_view() : Out.Sections.back().Id;
        if (const char* failure = Lookup(Failures, line)) {
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
        if (section == "memory"sv && SeenBlank) {
            if (NamePrefixAt(line) != 0) {
                TakeOsRow(line);
                return;
            }
            Open("names");
        } else if (section == "os"sv) {
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
    void TakeOsRow(std::string_view line)
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

    void TakeLine(std::string_view line)
    {
        const std::string& id = Current().Id;
        if (id == "memory"sv) {
            const size_t space = line.find(' ');
            if (space != std::string::npos && space > 0) {
                Item& item = Add(Item::Field);
                const size_t value = line.find_first_not_of(' ', space);
                item.Name = line.substr(0, space);
                item.Separator = line.substr(space, (value == std::string::npos ? line.size() : value) - space);
                item.Value = value == std::string::npos ? "" : line.substr(value);
                return;
            }
        } else if (id == "environment"sv) {
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
        } else if (line.find(':') != std::string::npos && id != "os"sv) {
            AddField(line, ':');
            return;
        }
        AddText(line);
        // Messages are kept in the report's code page, as the line is, and converted where they are written.
        if (!Expected(id, line)) Flag(LineNo(), "a line the section '" + id + "' does not have: " + std::string(line.substr(0, 80)));
    }

    static bool Expected(const std::string& id, std::string_view line)
    {
        if (id == "os"sv || id == "unknown"sv) return true;
        if (const char* owner = Lookup(Statements, line)) return id == owner;
        for (const Heading& entry : Interruptions)
            if (StartsWith(line, entry.Text)) return id == entry.Id;
        if (id == "hardware"sv) {
            const size_t start = line.find_first_not_of(' ');
            const std::string_view text = line.substr(start == std::string::npos ? line.size() : start);
            const std::string_view tail = "Support.";
            return StartsWith(text, "HyperThreading Support. (") ||
                   (text.size() > tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0);
        }
        return false;
    }

    Item& AddText(std::string_view line)
    {
        Item& item = Add(Item::Text);
        const size_t start = line.find_first_not_of(' ');
        const size_t indent = start == std::string::npos ? 0 : start;
        item.Indent = line.substr(0, indent);
        item.Value = line.substr(indent);
        return item;
    }

    void AddField(std::string_view line, char sign)
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
        const std::vector<std::string_view>& lines = *Lines;
        Item& item = Add(Item::Grid);
        item.Cells = std::make_unique<Table>();
        Table& table = *item.Cells;
        table.Dashes = BorderDashes(lines[Index]);
        if (table.Dashes.size() > MaxColumns) {
            Current().Items.pop_back();
            AddText(lines[Index]);
            Flag(LineNo(), "a table border of more than " + std::to_string(MaxColumns) + " columns");
            return;
        }
        for (size_t dashes : table.Dashes) table.Widths.push_back(dashes >= 2 ? dashes - 2 : 0);
        const std::string_view border = lines[Index];
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
        std::vector<std::vector<Cell>> rows(end - first);
        std::vector<size_t> misfits;
        for (size_t n = first; n < end; ++n)
            if (!ParseRow(table.Widths, lines[n], rows[n - first])) misfits.push_back(n);
        if (!misfits.empty() && misfits.size() * 2 >= rows.size()) {
            table.RowWidths = RowWidths(table, lines, misfits, rows.size() - misfits.size());
            if (!table.RowWidths.empty()) {
                misfits.clear();
                for (size_t n = first; n < end; ++n)
                    if (!ParseRow(table.RowWidths, lines[n], rows[n - first])) misfits.push_back(n);
            }
        }
        // The files table's dates are as long as Windows writes them in its language.
        if (Current().Id == "dx_files") {
            const std::vector<size_t>& shared = table.RowWidths.empty() ? table.Widths : table.RowWidths;
            std::vector<size_t> kept;
            for (size_t n : misfits) {
                std::vector<size_t> own = OwnWidths(lines[n], shared.size());
                bool dateOnly = own.size() == shared.size() && own.size() > 5 && own[5] >= 10;
                for (size_t column = 0; dateOnly && column < own.size(); ++column)
                    dateOnly = column == 5 || own[column] == shared[column];
                if (dateOnly && ParseRow(own, lines[n], rows[n - first]))
                    table.Own[n - first] = std::move(own);
                else
                    kept.push_back(n);
            }
            misfits.swap(kept);
        }
        table.Rows = std::move(rows);
        for (size_t n : misfits) {
            Index = n;
            table.Rows[n - first].clear();
            table.Raw[n - first] = lines[n];
            Flag(LineNo(), "a table row that does not fit its columns");
        }
        Index = end;
        if (table.Closed) return;
        Flag(LineNo(), "the table has no closing border: its list was cut short");
        --Index;
    }

    // The rows' widths where they are not the header's (the files table):
    // those most rows have, so one edited row cannot set them.
    static std::vector<size_t> RowWidths(const Table& table, const std::vector<std::string_view>& lines,
                                         const std::vector<size_t>& misfits, size_t fitting)
    {
        std::map<std::vector<size_t>, size_t> seen;
        std::vector<Cell> cells;
        for (size_t n : misfits) {
            const std::vector<size_t> own = OwnWidths(lines[n], table.Dashes.size());
            if (!own.empty() && ParseRow(own, lines[n], cells)) ++seen[own];
        }
        std::vector<size_t> best;
        size_t most = fitting;
        for (const auto& entry : seen)
            if (entry.second > most) {
                best = entry.first;
                most = entry.second;
            }
        return best;
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
            if (section.Id == "preface") continue;
            const size_t now = rank(section.Id);
            if (!first && now <= last && section.Id != "unknown") {
                section.Partial = true;
                Out.Flag(section.Line, "the section '" + section.Id + "' is out of its place");
            }
            last = std::max(last, now);
            first = false;
        }
        const auto begins = std::find_if(Out.Sections.begin(), Out.Sections.end(),
                                         [](const Section& section) { return section.Id != "preface"; });
        if (begins != Out.Sections.end() && begins->Id != "hardware")
            Out.Flag(begins->Line, "a report begins with its hardware section");
        // The names section may be empty: each of its calls can fail (as on Windows 98).
        for (const char* id : {"hardware", "memory", "environment", "processes", "services", "network", "drives"})
            if (Out.Find(id) == nullptr) Out.Flag(0, std::string("no section '") + id + "'");
        if (!Out.Sections.empty() && Stop == nullptr && !Cut) {
            const Section& end = Out.Sections.back();
            // A machine without a drive listed has the drives heading alone.
            const bool closed = !end.Items.empty() && (end.Items.back().Type == Item::Blank ||
                                                       (end.Id == "drives" && end.Items.size() == 1));
            if ((end.Id != "drives" && end.Id != "current") || !closed) {
                Out.Flag(Lines->size(), "the report ends inside its section '" + end.Id + "': the file is cut short");
                Out.Sections.back().Partial = true;
            }
        }
    }

public:
    bool Cut = false;  // the lines end at the report's bounds, not at its end

private:
    Report& Out;
    const std::vector<std::string_view>* Lines = nullptr;
    size_t Index = 0;
    bool SeenBlank = false;
};

}  // namespace

const std::vector<std::string>& SectionOrder()
{
    static const std::vector<std::string> order = {
        "preface",  "unknown",  "hardware",  "memory",   "os",         "names",      "environment", "directx",
        "d3d9",     "dx_system", "dx_sound", "dx_display", "dx_files",   "processes",   "services",
        "network",  "drives",    "current"};
    return order;
}

std::string TooLarge(unsigned long long size)
{
    return "the file has " + std::to_string(size) + " bytes; no report is larger than " + std::to_string(MaxReportBytes);
}

namespace {

// Whether a line can go on the section last opened, at a report's end: what
// the last sections have. Any line goes on one cut short elsewhere.
bool Continues(std::string_view section, std::string_view line)
{
    if (section == "current")
        return line[0] == ' ' || StartsWith(line, "Graphics adapter ") || StartsWith(line, Interruptions[1].Text) ||
               line == "Display devices:" || line == "Recent program crashes (30 days):";
    if (section == "drives") return line[0] == ' ' || StartsWith(line, "Drive : ");
    return true;
}

}  // namespace

std::vector<std::string_view> SplitReports(std::string_view text, size_t maxReports)
{
    std::vector<std::string_view> parts;
    size_t from = 0, foreign = std::string_view::npos;
    bool report = false;
    std::string_view open;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        const size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (const char* id = HeadingId(line)) {
            if (std::string_view(id) == "hardware") {
                // From the first line no report has on, the text is what the player wrote above the next.
                if (report && parts.size() + 1 < maxReports) {
                    const size_t cut = foreign != std::string_view::npos ? foreign : start;
                    parts.push_back(text.substr(from, cut - from));
                    from = cut;
                    if (parts.size() + 1 == maxReports) break;  // the rest is the last
                }
                report = true;
            }
            open = id;
            foreign = std::string_view::npos;
        } else if (foreign == std::string_view::npos && !line.empty() && !Continues(open, line)) {
            foreign = start;
        }
        start = next;
    }
    parts.push_back(text.substr(from));
    return parts;
}

Report Parse(std::string_view bytes, size_t maxLines)
{
    Report report;
    if (bytes.empty()) {
        report.State = Status::Unreadable;
        report.Problems.push_back({0, "the file is empty"});
        return report;
    }
    if (bytes.size() > MaxReportBytes) {
        report.State = Status::Unreadable;
        report.Problems.push_back({0, TooLarge(bytes.size())});
        return report;
    }
    const size_t firstEnd = bytes.find('\n');
    if (firstEnd != std::string::npos && firstEnd > 0 && bytes[firstEnd - 1] == '\r') report.LineEnd = "\r\n";
    std::vector<std::string_view> lines;
    lines.reserve(std::min(bytes.size() / 32 + 1, maxLines));  // a report's lines are some 40 bytes
    size_t start = 0;
    for (; start < bytes.size() && lines.size() < maxLines;) {
        size_t end = bytes.find(report.LineEnd, start);
        if (end == std::string::npos) {
            lines.push_back(bytes.substr(start));
            report.FinalLineEnd = false;
            start = bytes.size();
            break;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + report.LineEnd.size();
    }
    TParser parser(report);
    parser.Cut = start < bytes.size();
    parser.Run(lines);
    bool heading = false;
    for (const Section& section : report.Sections) heading = heading || section.Id != "unknown";
    // Past the bounds the text is kept as it is: the lines not taken, or from where the parse stopped.
    const size_t rest = parser.Stop != nullptr ? static_cast<size_t>(parser.Stop - bytes.data()) : start;
    if (rest < bytes.size()) {
        report.Rest = bytes.substr(rest);
        report.FinalLineEnd = true;
    }
    const std::string bound = "the file has more than " + std::to_string(MaxLines) +
                              " lines; from here on it is kept as text, unread";
    if (!heading) {
        // One reason: what the parser found wrong in a text that is no report says nothing more.
        report.State = Status::Unreadable;
        report.Problems = {{0, report.Rest.empty() ? "not a report: it has no section heading of one" : bound}};
        report.Unlisted = 0;
        return report;
    }
    if (rest < bytes.size()) {
        if (parser.Stop == nullptr)
            report.Flag(lines.size() + 1, bound, true);
        if (parser.Stop != nullptr) lines.resize(parser.StopIndex + (parser.Stop == lines[parser.StopIndex].data() ? 0 : 1));
    }
    for (size_t n = 0; n < lines.size(); ++n) {
        const size_t bad = FirstInvalidCp932(lines[n]);
        if (bad == std::string::npos) continue;
        report.Flag(n + 1, "byte " + std::to_string(static_cast<unsigned char>(lines[n][bad])) + " at column " +
                               std::to_string(bad + 1) + " is not cp932 text");
    }
    if (!report.FinalLineEnd) report.Flag(lines.size(), "the last line has no line end: the file is cut short");
    return report;
}

}  // namespace reader
