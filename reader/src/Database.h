#ifndef ENVCHECK_READER_DATABASE_H
#define ENVCHECK_READER_DATABASE_H

#include <string>

#include "Load.h"

struct sqlite3;
struct sqlite3_stmt;

namespace reader {

// A SQLite database of reports: one row per report file, keyed by the SHA-256
// of its bytes, and rows of its processes, services, adapters, displays,
// display devices, security products, crashes, drives and findings. Everything added between Begin and Commit is one
// transaction; the database is shared (WAL, and a wait for one busy).
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

private:
    bool Insert(const Loaded& loaded);
    bool Exec(const char* sql);
    bool SwitchToWal();
    bool Fail();

    sqlite3* Handle = nullptr;
    std::string Message;
    bool Migrate();
    long long Scalar(const char* sql);  // the first column of the first row, or -1

    enum { Known, Report, Process, Service, Adapter, Display, Drive, Finding, Sound, Network, ProblemRow, Note,
           DisplayDeviceRow, SecurityProductRow, CrashRow, Statements };
    sqlite3_stmt* Prepared[Statements] = {};
};

}  // namespace reader

#endif
