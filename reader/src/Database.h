#ifndef ENVCHECK_READER_DATABASE_H
#define ENVCHECK_READER_DATABASE_H

#include <functional>
#include <string>
#include <vector>

#include "Load.h"

struct sqlite3;
struct sqlite3_stmt;
struct z_stream_s;

namespace reader {

// A SQLite database of reports: one row per report file, keyed by the SHA-256
// of its bytes, and rows of its processes, services, adapters, displays,
// display devices, security products, crashes, drives and findings, and its text.
// Everything added between Begin and Commit is one transaction; the database is
// shared (WAL, and a wait for one busy). The survey table counts each report added,
// by month, and keeps the counts when reports are deleted.
class TDatabase {
public:
    explicit TDatabase(const std::string& path);
    ~TDatabase();
    TDatabase(const TDatabase&) = delete;
    TDatabase& operator=(const TDatabase&) = delete;

    bool IsOpen() const { return Handle != nullptr; }
    const std::string& Error() const { return Message; }
    bool Begin();  // a write transaction: it waits for another importer's to end
    bool Commit();
    void Rollback();  // keeps Error
    // False when a report of the same bytes is there already (or on an error: see Error).
    bool Add(const Loaded& loaded);
    // The id of the report the last successful Add stored (once committed), or -1.
    long long LastAdded() const { return Last; }
    // The id of the report of those bytes (its SHA-256 in hex), or -1.
    long long IdOf(const std::string& sha256);

    // Each deletes reports with every row they own, in a transaction of its own (or as a step
    // of the caller's), and answers the rows deleted in all: 0 for no such report, -1 on an error.
    long long Delete(long long reportId);
    // Every report of a computer and user; an empty name is one the report does not give.
    long long DeleteMachine(const std::string& computer, const std::string& user);
    // The reports stored more than that many days ago.
    long long Expire(int days);

private:
    bool Insert(const Loaded& loaded, long long& id);
    bool Compress(const std::string& text);  // into Packed
    long long Remove(const std::string& which, const std::function<void(sqlite3_stmt*)>& bind);
    bool DeriveFromRows();
    bool Exec(const char* sql);
    bool SwitchToWal();
    bool Fail();

    sqlite3* Handle = nullptr;
    std::string Message;
    bool Migrate();
    long long Scalar(const char* sql);  // the first column of the first row, or -1
    std::string Text(const char* sql);  // the same as text, or empty

    enum { Known, Report, Process, Service, Adapter, Display, Drive, Finding, Sound, Network, ProblemRow, Note,
           DisplayDeviceRow, SecurityProductRow, CrashRow, TextRow, SurveyRow, Statements };
    sqlite3_stmt* Prepared[Statements] = {};
    std::vector<std::string> Owned;  // the tables of a report's rows
    std::string Packed;              // a report's text compressed, kept for the next
    z_stream_s* Deflater = nullptr;  // kept too: a new one's buffers cost as much as the compression
    long long Last = -1;
};

// Binds a text as the tables store it: an empty one is NULL, a value the report does not have.
void BindText(sqlite3_stmt* statement, int at, const std::string& text);

// The text of a stored report as read (cp932): false when the report has none (one an
// older reader stored) or what is stored is damaged.
bool ReportText(sqlite3* db, long long id, std::string& cp932);

}  // namespace reader

#endif
