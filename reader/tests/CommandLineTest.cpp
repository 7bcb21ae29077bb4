#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "Files.h"

namespace {

struct TRun {
    int Code = -1;
    std::string Output;  // stdout and stderr together
};

TRun Reader(const std::string& arguments)
{
    TRun run;
    FILE* pipe = popen((std::string(ENVCHECK_READER_EXE) + " " + arguments + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    for (size_t got; (got = fread(buffer, 1, sizeof(buffer), pipe)) > 0;) run.Output.append(buffer, got);
    const int status = pclose(pipe);
    run.Code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

long long Count(sqlite3* db, const std::string& sql)
{
    sqlite3_stmt* statement = nullptr;
    long long value = -1;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW)
        value = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    return value;
}

}  // namespace

// Every kind of bad input: the exit code, and the file and line named.
TEST(CommandLineTest, HostileInputsSayWhereAndExitByTheWorst)
{
    const auto folder = FreshFolder("hostile");
    const std::string report = Sample("win7");
    const std::string cut = report.substr(0, report.find("Network Infomation:") + 10);
    std::string badByte = report;
    const size_t name = report.find("Computer name:");
    badByte[name] = '\xFF';
    auto lineOf = [&](size_t at) { return std::to_string(std::count(report.begin(), report.begin() + at, '\n') + 1); };
    std::string editedRow = report;
    editedRow.insert(editedRow.find("| services.exe") + 2, "x");
    const struct {
        const char* Name;
        std::string Bytes;
        int Code;
        std::string Message;
    } rows[] = {
        {"whole.txt", report, 0, "(read)"},
        {"cut.txt", cut, 1, "cut.txt:" + lineOf(cut.size()) + ": the report ends inside its section 'services'"},
        {"byte.txt", badByte, 1, "byte.txt:" + lineOf(name) + ": byte 255 at column 1 is not cp932 text"},
        {"row.txt", editedRow, 1, "row.txt:" + lineOf(report.find("| services.exe")) + ": a table row that does not fit its columns"},
        {"empty.txt", "", 2, "empty.txt: the file is empty"},
        {"picture.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), 2, "picture.png: not a report"},
        {"letter.txt", "Dear support,\nmy game crashes.\n", 2, "letter.txt: not a report"},
    };
    for (const auto& row : rows) {
        WriteAll(folder / row.Name, row.Bytes);
        const TRun run = Reader((folder / row.Name).string());
        EXPECT_EQ(row.Code, run.Code) << row.Name << ": " << run.Output;
        EXPECT_NE(std::string::npos, run.Output.find(row.Message)) << row.Name << ": " << run.Output;
    }
    // A huge file is refused before it is read, as a sparse file shows.
    const auto huge = folder / "huge.txt";
    WriteAll(huge, report);
    std::filesystem::resize_file(huge, 100u * 1024 * 1024);
    TRun run = Reader(huge.string() + " " + (folder / "whole.txt").string());
    EXPECT_EQ(2, run.Code) << run.Output;
    EXPECT_NE(std::string::npos, run.Output.find("huge.txt: the file has 104857600 bytes")) << run.Output;
    EXPECT_NE(std::string::npos, run.Output.find("whole.txt (read)")) << "the next file is still read: " << run.Output;
    const struct {
        const char* Arguments;
        const char* Message;
    } usage[] = {{"", "no report named"}, {"--diff one.txt", "exactly two reports"}, {"--frobnicate x", "unknown option"},
                 {"--db", "--db needs a database"}, {"/no/such/file.txt", "/no/such/file.txt: cannot be opened"}};
    for (const auto& u : usage) {
        run = Reader(u.Arguments);
        EXPECT_EQ(2, run.Code) << u.Arguments << ": " << run.Output;
        EXPECT_NE(std::string::npos, run.Output.find(u.Message)) << u.Arguments << ": " << run.Output;
    }
    run = Reader("--json " + (folder / "cut.txt").string());
    EXPECT_EQ(1, run.Code);
    EXPECT_NE(std::string::npos, run.Output.find("\"status\":\"partial\"")) << run.Output;
    std::filesystem::remove_all(folder);
}

TEST(CommandLineTest, SummaryOfAReport)
{
    const std::string path = std::string(ENVCHECK_READER_SAMPLES) + "/matrix-nt40.txt";
    const TRun run = Reader(path);
    EXPECT_EQ(0, run.Code);
    EXPECT_EQ("== " + path + " (read)\n"
              "Report date: 2026-12-09 15:15:14\n"
              "Machine:     VM, user root\n"
              "Processor:   Intel(R) Xeon(R) Processor, 2 x 2600 MHz (family 6 = 6 + 0/16, model 7, stepping 1)\n"
              "Memory:      23.5 GiB physical, 23.2 GiB free\n"
              "OS:          Microsoft Windows NT Workstation 4.0 Service Pack 6a (Build 1381)\n"
              "Windows:     Windows NT 4.0, x86\n"
              "GPU:         NVIDIA GeForce GTX 470, driver 4.14.0013.9135 of 2016-01-01\n"
              "  adapter 0: NVIDIA GeForce GTX 470, 2047 MB\n"
              "Drives:      C:\\ 67.6 GiB free of 252.0 GiB; Z:\\ 67.6 GiB free of 252.0 GiB\n"
              "Processes:   0, services and drivers: 23\n"
              "Findings:\n"
              "  [windows-before-10] Windows older than 10\n"
              "  [windows-32bit] 32-bit Windows\n"
              "  [driver-over-2-years] graphics driver over two years older than the report\n\n",
              run.Output);
}

TEST(CommandLineTest, DatabaseTakesEachReportOnce)
{
    const auto folder = FreshFolder("db");
    std::filesystem::create_directories(folder / "reports" / "2026");
    for (const char* windows : {"win7", "win10", "nt40"})
        WriteAll(folder / "reports" / "2026" / (std::string(windows) + ".txt"), Sample(windows));
    WriteAll(folder / "reports" / "copy-of-win7.txt", Sample("win7"));
    WriteAll(folder / "reports" / "notes.md", "not a report, and not a .txt");
    const std::string db = (folder / "reports.sqlite").string();
    TRun run = Reader("--db " + db + " " + (folder / "reports").string());
    EXPECT_EQ(0, run.Code) << run.Output;
    EXPECT_NE(std::string::npos, run.Output.find("added 3, already there 1, unreadable 0")) << run.Output;
    run = Reader("--db " + db + " " + (folder / "reports").string());
    EXPECT_EQ(0, run.Code) << run.Output;
    EXPECT_NE(std::string::npos, run.Output.find("added 0, already there 4, unreadable 0")) << run.Output;

    sqlite3* handle = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open(db.c_str(), &handle));
    const struct {
        const char* Query;
        long long Expected;
    } queries[] = {
        {"SELECT COUNT(*) FROM reports", 3},
        {"SELECT COUNT(*) FROM reports WHERE os_product = 'Microsoft Windows NT' AND os_build = 1381", 1},
        {"SELECT COUNT(DISTINCT report_id) FROM processes WHERE name = 'explorer.exe'", 2},  // none on NT 4.0
        {"SELECT COUNT(*) FROM services s JOIN reports r ON r.id = s.report_id"
         " WHERE r.os_build = 7601 AND s.name = 'RpcSs' AND s.state = 'running.' AND s.kind = 'service'", 1},
        {"SELECT COUNT(*) FROM adapters WHERE source = 'd3d9' AND description = 'NVIDIA GeForce GTX 470'", 3},
        {"SELECT COUNT(*) FROM displays WHERE source = 'dxdiag' AND width = 1280 AND height = 1024", 3},
        {"SELECT COUNT(*) FROM drives WHERE root = 'C:\\' AND free_bytes > 0", 3},
        {"SELECT COUNT(*) FROM findings WHERE rule = 'windows-before-10'", 2},
    };
    for (const auto& q : queries) EXPECT_EQ(q.Expected, Count(handle, q.Query)) << q.Query;
    sqlite3_close(handle);
    std::filesystem::remove_all(folder);
}

TEST(CommandLineTest, DiffNamesWhatChanged)
{
    const auto folder = FreshFolder("diff");
    std::string older = Sample("win10");
    std::string newer = older;
    newer.replace(newer.find("szDriverVersion: 26.21.0013.9135"), 32, "szDriverVersion: 31.0.15.5222");
    // Both cells of the row, each keeping its width.
    for (int cell = 0; cell < 2; ++cell) newer.replace(newer.find("explorer.exe"), 12, "game.exe    ");
    WriteAll(folder / "old.txt", older);
    WriteAll(folder / "new.txt", newer);
    const TRun run = Reader("--diff " + (folder / "old.txt").string() + " " + (folder / "new.txt").string());
    EXPECT_EQ(0, run.Code) << run.Output;
    EXPECT_NE(std::string::npos, run.Output.find("Display driver: 26.21.0013.9135 of 2016-01-01 -> 31.0.15.5222 of 2016-01-01")) << run.Output;
    EXPECT_NE(std::string::npos, run.Output.find("Process gone: C:\\windows\\system32\\explorer.exe")) << run.Output;
    EXPECT_NE(std::string::npos, run.Output.find("Process started: C:\\windows\\system32\\game.exe\n")) << run.Output;
    const TRun same = Reader("--diff " + (folder / "old.txt").string() + " " + (folder / "old.txt").string());
    EXPECT_EQ("No change in OS, drivers, drives or processes.\n", same.Output);
    std::filesystem::remove_all(folder);
}
