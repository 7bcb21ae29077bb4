#ifndef ENVCHECK_READER_DESKDATA_H
#define ENVCHECK_READER_DESKDATA_H

#include <string>

#include <nlohmann/json.hpp>

struct sqlite3;

// What the desk's pages and its API show, read from the reports database as
// JSON (UTF-8): the pages render it, the API sends it as it is.
namespace reader::desk {

using nlohmann::json;

// The inbox's filters, as the page's form names them.
struct Filter {
    std::string Finding, Windows, Vendor, Status, Query;
    long long Page = 1;
};

constexpr int PageSize = 50;

// A machine's key in the desk's addresses: its computer and user names, hex-encoded.
std::string MachineKey(const std::string& computer, const std::string& user);
bool MachineOfKey(const std::string& key, std::string& computer, std::string& user);

// A finding's badge colour: the group of what it is about.
const char* BadgeKind(const std::string& rule);

json Inbox(sqlite3* db, const Filter& filter);
// False when there is no such report.
bool ReportPage(sqlite3* db, long long id, json& page);
// The report as stored (cp932; empty when it was stored without its text), and the
// name it came with; false when there is no such report.
bool StoredText(sqlite3* db, long long id, std::string& text, std::string& file);
// The report's JSON line (as --json writes it); false when its text is not stored.
bool ReportJson(sqlite3* db, long long id, std::string& line);
// Every report of the machine, and the changes from report older to newer (the last two when -1).
bool MachinePage(sqlite3* db, const std::string& key, long long older, long long newer, json& page);
// Months as YYYY-MM; empty: from the first or to the last month there is.
json Survey(sqlite3* db, const std::string& from, const std::string& to);
// month,value,reports of one dimension; false when there is no such dimension.
bool SurveyCsv(sqlite3* db, const std::string& dimension, const std::string& from, const std::string& to, std::string& csv);

}  // namespace reader::desk

#endif
