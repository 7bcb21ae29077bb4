#include "DeskData.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <sstream>

#include "Cp932.h"
#include "Database.h"
#include "Findings.h"
#include "Load.h"
#include "Output.h"
#include "Survey.h"
#include "Text.h"

namespace reader::desk {

namespace {

// One statement, finalized on every path.
class TQuery {
public:
    TQuery(sqlite3* db, const std::string& sql)
    {
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &Statement, nullptr) != SQLITE_OK) Statement = nullptr;
    }
    ~TQuery() { sqlite3_finalize(Statement); }
    TQuery(const TQuery&) = delete;
    TQuery& operator=(const TQuery&) = delete;

    TQuery& Bind(const std::string& text)
    {
        sqlite3_bind_text(Statement, ++At, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        return *this;
    }
    // As the tables store it: an empty name is NULL.
    TQuery& BindOrNull(const std::string& text)
    {
        BindText(Statement, ++At, text);
        return *this;
    }
    TQuery& Bind(long long value)
    {
        sqlite3_bind_int64(Statement, ++At, value);
        return *this;
    }
    bool Next() { return Statement != nullptr && sqlite3_step(Statement) == SQLITE_ROW; }
    std::string Text(int column) const
    {
        const unsigned char* text = sqlite3_column_text(Statement, column);
        return text == nullptr ? "" : std::string(reinterpret_cast<const char*>(text),
                                                  static_cast<size_t>(sqlite3_column_bytes(Statement, column)));
    }
    long long Number(int column) const { return sqlite3_column_int64(Statement, column); }
    bool Null(int column) const { return sqlite3_column_type(Statement, column) == SQLITE_NULL; }

private:
    sqlite3_stmt* Statement = nullptr;
    int At = 0;
};

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator))
        if (!part.empty()) parts.push_back(part);
    return parts;
}

const Rule* RuleOf(const std::string& id)
{
    for (const Rule& rule : Rules())
        if (id == rule.Id) return &rule;
    return nullptr;
}

json Badges(const std::string& rules)
{
    json badges = json::array();
    for (const std::string& id : Split(rules, ' ')) {
        const Rule* rule = RuleOf(id);
        badges.push_back({{"id", id}, {"kind", BadgeKind(id)}, {"text", rule == nullptr ? "" : rule->Text}});
    }
    return badges;
}

// The columns every list of reports shows; Windows as the survey counts it, so that its values filter.
const std::string ReportColumns =
    "r.id, r.report_date, r.computer, r.user, " + WindowsRelease("r") + ", r.gpu, r.status,"
    " (SELECT group_concat(rule, ' ') FROM findings f WHERE f.report_id = r.id),"
    " (SELECT group_concat(note, char(10)) FROM notes n WHERE n.report_id = r.id), r.part, r.parts, r.file";

json ReportRow(const TQuery& q)
{
    json notes = Split(q.Text(8), '\n');
    if (q.Number(10) > 1) notes.push_back("report " + std::to_string(q.Number(9)) + " of " + std::to_string(q.Number(10)));
    if (q.Text(6) != "read") notes.push_back(q.Text(6));
    const std::string machine = MachineKey(q.Text(2), q.Text(3));
    return {{"id", q.Number(0)},         {"date", q.Null(1) ? "(no date)" : q.Text(1)},
            {"computer", q.Text(2)},     {"user", q.Text(3)},
            {"machine", machine.empty() ? json(nullptr) : json(machine)},
            {"windows", q.Text(4)},      {"gpu", q.Text(5)},
            {"status", q.Text(6)},       {"findings", Badges(q.Text(7))},
            {"notes", notes},            {"file", q.Text(11)}};
}

json Choices(sqlite3* db, const std::string& sql, const std::string& chosen)
{
    json all = json::array();
    for (TQuery q(db, sql); q.Next();) all.push_back({{"value", q.Text(0)}, {"selected", q.Text(0) == chosen}});
    return all;
}

std::string Encode(const std::string& text)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string PageLink(const Filter& f, long long page)
{
    std::string link = "/?page=" + std::to_string(page);
    for (const auto& [name, value] : {std::pair<const char*, const std::string*>{"finding", &f.Finding}, {"windows", &f.Windows},
                                      {"vendor", &f.Vendor}, {"status", &f.Status}, {"q", &f.Query}})
        if (!value->empty()) link += std::string("&") + name + "=" + Encode(*value);
    return link;
}

// A section's title line: its first line, where that is text.
const Item* TitleOf(const Section& section)
{
    for (const Item& item : section.Items)
        if (item.Type != Item::Blank) return item.Type == Item::Text ? &item : nullptr;
    return nullptr;
}

// A section's heading: its title line as the report has it, else its id.
std::string Heading(const Section& section)
{
    const Item* title = TitleOf(section);
    return title == nullptr ? section.Id : Utf8(title->Indent + title->Value);
}

std::string Trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(' ');
    const size_t last = text.find_last_not_of(' ');
    return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

json ItemOf(const Item& item)
{
    json out = {{"line", item.Line}};
    switch (item.Type) {
    case Item::Field: out["field"] = {{"name", Utf8(Trimmed(item.Name))}, {"value", Utf8(item.Value + item.Tail)}}; break;
    case Item::Text: out["text"] = Utf8(item.Indent + item.Value); break;
    case Item::Grid: {
        const Table& table = *item.Cells;
        json columns = json::array(), rows = json::array();
        for (const Cell& cell : table.Header) columns.push_back(Utf8(cell.Text));
        for (size_t n = 0; n < table.Rows.size(); ++n) {
            json row = json::array();
            const auto raw = table.Raw.find(n);
            if (raw != table.Raw.end())
                row.push_back(Utf8(raw->second));
            else
                for (const Cell& cell : table.Rows[n]) row.push_back(Utf8(cell.Text));
            rows.push_back(row);
        }
        out["grid"] = {{"columns", columns}, {"rows", rows}};
        break;
    }
    case Item::Blank: break;
    }
    return out;
}

// The lines a finding read: the named lines of the sections it needs, or those sections' first lines.
json LinesOf(const Rule& rule, const Report& report)
{
    json lines = json::array();
    const std::vector<std::string> names = Split(rule.Shows == nullptr ? "" : rule.Shows, '|');
    for (const std::string& id : Split(rule.Needs, ' ')) {
        const Section* section = report.Find(id);
        if (section == nullptr) continue;
        bool any = false;
        for (const Item& item : section->Items) {
            if (item.Type != Item::Field) continue;
            const std::string name = Trimmed(item.Name);
            if (std::none_of(names.begin(), names.end(), [&](const std::string& n) { return name.compare(0, n.size(), n) == 0; }))
                continue;
            lines.push_back({{"line", item.Line}, {"text", Utf8(Trimmed(item.Name) + item.Separator + item.Value)}});
            any = true;
        }
        if (!any) lines.push_back({{"line", section->Line}, {"text", Heading(*section)}});
    }
    return lines;
}

// Whether a finding is on one report in twenty or more: the survey's counts say, without a walk.
bool Common(sqlite3* db, const std::string& rule)
{
    TQuery q(db, "SELECT (SELECT SUM(reports) FROM survey WHERE dimension = 'finding' AND value = ?) * 20 >="
                 " (SELECT SUM(reports) FROM survey WHERE dimension = 'reports')");
    q.Bind(rule);
    return q.Next() && q.Number(0) == 1;
}

// The stored report read again: the text is what was stored, so the reading is the one stored.
bool Reload(sqlite3* db, long long id, Loaded& loaded, std::string& file)
{
    std::string text;
    if (!StoredText(db, id, text, file) || text.empty()) return false;
    loaded = LoadBytes(file, text);
    return true;
}

}  // namespace

std::string MachineKey(const std::string& computer, const std::string& user)
{
    // A report that names neither is nobody's in particular: it has no machine to gather under.
    return computer.empty() && user.empty() ? "" : HexOf(computer + '\n' + user);
}

bool MachineOfKey(const std::string& key, std::string& computer, std::string& user)
{
    if (key.size() % 2 != 0 || key.size() > 2048) return false;
    std::string bytes;
    for (size_t n = 0; n < key.size(); n += 2) {
        const auto digit = [](char c) { return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1; };
        const int high = digit(key[n]), low = digit(key[n + 1]);
        if (high < 0 || low < 0) return false;
        bytes += static_cast<char>(high * 16 + low);
    }
    const size_t split = bytes.find('\n');
    if (split == std::string::npos || bytes.size() == 1) return false;
    computer = bytes.substr(0, split);
    user = bytes.substr(split + 1);
    return true;
}

const char* BadgeKind(const std::string& rule)
{
    static const std::pair<const char*, const char*> groups[] = {
        {"crash", "crash"},       {"gpu", "graphics"},     {"driver", "graphics"},  {"adapter", "graphics"},
        {"d3d9", "graphics"},     {"feature-level", "graphics"}, {"refresh", "graphics"}, {"windows", "windows"},
        {"secure-boot", "windows"}, {"tpm", "windows"},    {"test-signing", "windows"}, {"remote", "windows"},
        {"memory-integrity", "note"}, {"memory", "hardware"}, {"cpu", "hardware"}, {"avx", "hardware"},
        {"drive", "hardware"},    {"vc-runtime", "software"}, {"security", "software"}, {"service", "software"}};
    for (const auto& [part, kind] : groups)
        if (rule.find(part) != std::string::npos) return kind;
    return "note";
}

json Inbox(sqlite3* db, const Filter& f)
{
    std::string where = " WHERE 1";
    // A common finding is met soon walking the reports newest first; a rare one is
    // quicker found from its own rows, then put in order.
    if (!f.Finding.empty())
        where += Common(db, f.Finding) ? " AND EXISTS (SELECT 1 FROM findings f WHERE f.report_id = r.id AND f.rule = ?)"
                                       : " AND r.id IN (SELECT report_id FROM findings WHERE rule = ?)";
    if (!f.Windows.empty()) where += " AND " + WindowsRelease("r") + " = ?";
    if (!f.Vendor.empty()) where += " AND r.gpu_vendor = ?";
    if (!f.Status.empty()) where += " AND r.status = ?";
    // Names as the report writes them: an index finds them among any number of reports.
    if (!f.Query.empty())
        where += " AND (r.computer = :q OR r.user = :q OR r.id IN (SELECT report_id FROM processes WHERE name = :q)"
                 " OR r.id IN (SELECT report_id FROM services WHERE name = :q))";
    const long long page = std::max(1LL, std::min(f.Page, 1000000LL));
    const std::string sql = std::string("SELECT ") + ReportColumns + " FROM reports r" + where +
                      " ORDER BY r.report_date DESC, r.id DESC LIMIT " + std::to_string(PageSize + 1) + " OFFSET " +
                      std::to_string((page - 1) * PageSize);
    TQuery q(db, sql);
    for (const std::string* value : {&f.Finding, &f.Windows, &f.Vendor, &f.Status})
        if (!value->empty()) q.Bind(*value);
    if (!f.Query.empty()) q.Bind(f.Query);  // :q, numbered after the others, bound once
    json rows = json::array();
    // One row past the page says whether there is a next one; a finished query is never stepped again.
    bool more = false;
    while (q.Next()) {
        if (rows.size() == static_cast<size_t>(PageSize)) {
            more = true;
            break;
        }
        rows.push_back(ReportRow(q));
    }
    json findings = json::array();
    for (const Rule& rule : Rules()) findings.push_back({{"id", rule.Id}, {"selected", f.Finding == rule.Id}});
    json statuses = json::array();
    for (const char* status : {"read", "partial"}) statuses.push_back({{"value", status}, {"selected", f.Status == status}});
    return {{"rows", rows},
            {"page", page},
            {"next", more ? json(PageLink(f, page + 1)) : json(nullptr)},
            {"previous", page > 1 ? json(PageLink(f, page - 1)) : json(nullptr)},
            {"filtered", !(f.Finding.empty() && f.Windows.empty() && f.Vendor.empty() && f.Status.empty() && f.Query.empty())},
            {"q", f.Query},
            {"findings", findings},
            // The survey's aggregates know every value there is, without a walk over the reports.
            {"windows", Choices(db, "SELECT DISTINCT value FROM survey WHERE dimension = 'windows' ORDER BY value", f.Windows)},
            {"vendors", Choices(db, "SELECT DISTINCT value FROM survey WHERE dimension = 'gpu_vendor' ORDER BY value", f.Vendor)},
            {"statuses", statuses}};
}

bool StoredText(sqlite3* db, long long id, std::string& text, std::string& file)
{
    TQuery q(db, "SELECT file FROM reports WHERE id = ?");
    q.Bind(id);
    if (!q.Next()) return false;
    file = q.Text(0);
    text.clear();
    reader::ReportText(db, id, text);
    return true;
}

bool ReportJson(sqlite3* db, long long id, std::string& line)
{
    Loaded loaded;
    std::string file;
    if (!Reload(db, id, loaded, file)) return false;
    std::vector<std::string> notes;
    TQuery q(db, "SELECT note FROM notes WHERE report_id = ?");
    q.Bind(id);
    while (q.Next()) notes.push_back(q.Text(0));
    loaded.Notes = notes;
    TQuery part(db, "SELECT part, parts FROM reports WHERE id = ?");
    part.Bind(id);
    if (part.Next()) loaded.Part = static_cast<size_t>(part.Number(0)), loaded.Parts = static_cast<size_t>(part.Number(1));
    line = JsonLine(loaded);
    return true;
}

bool ReportPage(sqlite3* db, long long id, json& page)
{
    TQuery q(db, std::string("SELECT ") + ReportColumns + " FROM reports r WHERE r.id = ?");
    q.Bind(id);
    if (!q.Next()) return false;
    page = ReportRow(q);
    page["part"] = q.Number(9);
    page["parts"] = q.Number(10);
    page["joined"] = q.Number(10) > 1;
    Loaded loaded;
    std::string file;
    const bool stored = Reload(db, id, loaded, file);
    page["stored"] = stored;
    json findings = json::array();
    for (const json& badge : page["findings"]) {
        const Rule* rule = RuleOf(badge["id"]);
        json finding = badge;
        finding["lines"] = stored && rule != nullptr ? LinesOf(*rule, loaded.Model) : json::array();
        findings.push_back(finding);
    }
    // The finding's own words, with what it named, as the database keeps them.
    TQuery texts(db, "SELECT rule, text FROM findings WHERE report_id = ?");
    texts.Bind(id);
    while (texts.Next())
        for (json& finding : findings)
            if (finding["id"] == texts.Text(0)) finding["text"] = texts.Text(1);
    page["findings"] = findings;
    if (!stored) return true;
    std::ostringstream summary;
    WriteSummary(summary, loaded);
    page["summary"] = summary.str();
    json problems = json::array();
    for (const Problem& p : loaded.Model.Problems)
        problems.push_back({{"line", p.Line == 0 ? json(nullptr) : json(p.Line)}, {"message", Utf8(p.Message)}});
    page["problems"] = problems;
    page["has_problems"] = !problems.empty();
    json sections = json::array();
    for (const Section& section : loaded.Model.Sections) {
        json items = json::array();
        const Item* title = TitleOf(section);  // shown as the heading
        for (const Item& item : section.Items)
            if (item.Type != Item::Blank && &item != title) items.push_back(ItemOf(item));
        const char* status = section.Failed ? "failed" : section.Partial ? "partial" : "read";
        sections.push_back({{"id", section.Id}, {"line", section.Line}, {"heading", Heading(section)}, {"status", status},
                            {"failure", section.Failed ? json(Utf8(section.Failure)) : json(nullptr)}, {"items", items}});
    }
    page["sections"] = sections;
    return true;
}

bool MachinePage(sqlite3* db, const std::string& key, long long older, long long newer, json& page)
{
    std::string computer, user;
    if (!MachineOfKey(key, computer, user)) return false;
    TQuery q(db, std::string("SELECT ") + ReportColumns +
                     " FROM reports r WHERE r.computer IS ? AND r.user IS ? ORDER BY r.report_date, r.id");
    q.BindOrNull(computer).BindOrNull(user);
    json rows = json::array();
    while (q.Next()) rows.push_back(ReportRow(q));
    if (rows.empty()) return false;
    const size_t count = rows.size();
    if (older < 0 && count > 1) older = rows[count - 2]["id"];
    if (newer < 0 && count > 1) newer = rows[count - 1]["id"];
    json choices = json::array();
    bool olderHere = false, newerHere = false;  // another machine's report is never compared here
    for (const json& row : rows) {
        choices.push_back({{"id", row["id"]}, {"date", row["date"]}, {"older", row["id"] == older}, {"newer", row["id"] == newer}});
        olderHere = olderHere || row["id"] == older;
        newerHere = newerHere || row["id"] == newer;
    }
    const bool known = olderHere && newerHere;
    page = {{"computer", computer}, {"user", user},       {"machine", key},
            {"rows", rows},         {"choices", choices}, {"comparable", count > 1}};
    if (count < 2 || !known) return true;
    Loaded a, b;
    std::string file;
    if (!Reload(db, older, a, file) || !Reload(db, newer, b, file)) {
        page["unavailable"] = "One of these reports was stored before the desk kept reports' texts, so they cannot be compared.";
        return true;
    }
    json changes = json::array();
    static const char* const kinds[] = {"Changed", "Added", "Removed"};
    for (const Change& c : DiffOf(a, b))
        changes.push_back({{"kind", kinds[c.Kind]}, {"what", c.What}, {"from", c.From}, {"to", c.To}});
    page["diff"] = {{"older", older}, {"newer", newer}, {"changes", changes}};
    return true;
}

namespace {

struct Dimension {
    const char* Id;
    const char* Title;
    const char* Chart;  // "bar": the range's totals; "months": each value month by month
    size_t Top;         // so many values are shown; the rest are one row
};

const Dimension Dimensions[] = {
    {"windows", "Windows releases", "bar", 20},     {"architecture", "32/64-bit Windows", "bar", 5},
    {"gpu_vendor", "GPU vendors", "bar", 10},       {"gpu", "GPU models", "bar", 25},
    {"video_memory", "Video memory", "bar", 15},    {"memory", "Memory", "bar", 15},
    {"cpu_vendor", "Processor vendors", "bar", 10}, {"cores", "Processor cores", "bar", 15},
    {"resolution", "Display resolutions", "bar", 15}, {"scaling", "Display scaling", "bar", 10},
    {"finding", "Findings, month by month", "months", 40},
};

std::string Share(long long count, long long total)
{
    if (total <= 0) return "-";
    char text[32];
    std::snprintf(text, sizeof(text), "%.1f%%", 100.0 * static_cast<double>(count) / static_cast<double>(total));
    return text;
}

// A month as the form gives it, or empty: only YYYY-MM is used in a query.
std::string Month(const std::string& text)
{
    const bool ok = text.size() == 7 && text[4] == '-' &&
                    std::all_of(text.begin(), text.end(), [](char c) { return c == '-' || (c >= '0' && c <= '9'); });
    return ok ? text : "";
}

// Months from and to, either open. Undated reports (month "unknown") belong to no range:
// they count only where none is asked.
void BindRange(TQuery& q, const std::string& from, const std::string& to)
{
    const bool open = from.empty() && to.empty();
    q.Bind(from.empty() ? "0000-00" : from).Bind(!to.empty() ? to : open ? "~" : "9999-99");
}

}  // namespace

json Survey(sqlite3* db, const std::string& fromText, const std::string& toText)
{
    const std::string from = Month(fromText), to = Month(toText);
    const std::string range = " AND month >= ? AND month <= ?";
    auto bind = [&](TQuery& q) { BindRange(q, from, to); };
    std::vector<std::string> months;
    long long total = 0;
    {
        TQuery q(db, "SELECT month, reports FROM survey WHERE dimension = 'reports' AND value = ''" + range + " ORDER BY month");
        bind(q);
        while (q.Next()) {
            months.push_back(q.Text(0));
            total += q.Number(1);
        }
    }
    json dimensions = json::array();
    const std::vector<std::string> none;
    for (const Dimension& d : Dimensions) {
        // Only a chart month by month has a column for each month.
        const std::vector<std::string>& columns = std::string(d.Chart) == "months" ? months : none;
        std::map<std::string, std::map<std::string, long long>> counts;  // value, month
        std::map<std::string, long long> totals;
        TQuery q(db, "SELECT value, month, reports FROM survey WHERE dimension = ?" + range);
        q.Bind(d.Id);
        bind(q);
        while (q.Next()) {
            counts[q.Text(0)][q.Text(1)] += q.Number(2);
            totals[q.Text(0)] += q.Number(2);
        }
        std::vector<std::pair<std::string, long long>> order(totals.begin(), totals.end());
        std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
        json rows = json::array();
        long long rest = 0;
        std::map<std::string, long long> restByMonth;
        for (size_t n = 0; n < order.size(); ++n) {
            if (n >= d.Top) {
                rest += order[n].second;
                for (const auto& [month, count] : counts[order[n].first]) restByMonth[month] += count;
                continue;
            }
            json byMonth = json::array();
            for (const std::string& month : columns) byMonth.push_back(std::to_string(counts[order[n].first][month]));
            rows.push_back({{"value", order[n].first}, {"reports", order[n].second}, {"share", Share(order[n].second, total)},
                            {"by_month", byMonth}});
        }
        if (rest > 0) {
            json byMonth = json::array();
            for (const std::string& month : columns) byMonth.push_back(std::to_string(restByMonth[month]));
            rows.push_back({{"value", "(others)"}, {"reports", rest}, {"share", Share(rest, total)}, {"by_month", byMonth}});
        }
        dimensions.push_back({{"id", d.Id}, {"title", d.Title}, {"chart", d.Chart}, {"rows", rows}, {"from", from}, {"to", to},
                              {"months", columns}});
    }
    std::string shown = months.empty() ? "" : months.front() + " to " + months.back();
    return {{"from", from}, {"to", to}, {"total", total}, {"range", shown}, {"months", months}, {"dimensions", dimensions}};
}

bool SurveyCsv(sqlite3* db, const std::string& dimension, const std::string& fromText, const std::string& toText, std::string& csv)
{
    if (std::none_of(std::begin(Dimensions), std::end(Dimensions), [&](const Dimension& d) { return dimension == d.Id; }))
        return false;
    TQuery q(db, "SELECT month, value, reports FROM survey WHERE dimension = ? AND month >= ? AND month <= ? ORDER BY month, value");
    BindRange(q.Bind(dimension), Month(fromText), Month(toText));
    // RFC 4180: every field quoted, quotes doubled; a leading = + - @ cannot start a formula in a spreadsheet.
    auto field = [](std::string text) {
        if (!text.empty() && std::string("=+-@\t\r").find(text[0]) != std::string::npos) text.insert(0, "'");
        std::string out = "\"";
        for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
        return out + "\"";
    };
    csv = "month,value,reports\r\n";
    while (q.Next()) csv += field(q.Text(0)) + "," + field(q.Text(1)) + "," + std::to_string(q.Number(2)) + "\r\n";
    return true;
}

}  // namespace reader::desk
