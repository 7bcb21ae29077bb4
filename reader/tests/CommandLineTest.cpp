#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <utility>
#include <vector>

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

std::string Text(sqlite3* db, const std::string& sql)
{
    sqlite3_stmt* statement = nullptr;
    std::string value;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW &&
        sqlite3_column_text(statement, 0) != nullptr)
        value = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
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
        {"cut.txt", cut, 1, "line " + lineOf(cut.size()) + ": the report ends inside its section 'services'"},
        {"byte.txt", badByte, 1, "line " + lineOf(name) + ": byte 255 at column 1 is not cp932 text"},
        {"row.txt", editedRow, 1, "line " + lineOf(report.find("| services.exe")) + ": a table row that does not fit its columns"},
        {"empty.txt", "", 2, "(unreadable)\nProblems:\n  the file is empty\n"},
        {"picture.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), 2, "\n  not a report"},
        {"letter.txt", "Dear support,\nmy game crashes.\n", 2, "Problems:\n  not a report: it has no section heading of one\n\n"},
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
    EXPECT_NE(std::string::npos, run.Output.find("huge.txt (unreadable)\nProblems:\n  the file has 104857600 bytes")) << run.Output;
    EXPECT_NE(std::string::npos, run.Output.find("whole.txt (read)")) << "the next file is still read: " << run.Output;
    const struct {
        const char* Arguments;
        const char* Message;
    } usage[] = {{"", "no report named"}, {"--diff one.txt", "exactly two reports"}, {"--frobnicate x", "unknown option"},
                 {"--db", "--db needs a database"}, {"/no/such/file.txt", "/no/such/file.txt (unreadable)\nProblems:\n  cannot be opened: "},
                 {"--render", "exactly one report"}};
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
              "DirectX:     4.09.0000.0904\n"
              "GPU:         NVIDIA GeForce GTX 470, driver 4.14.0013.9135 of 2016-01-01\n"
              "  adapter 0: NVIDIA GeForce GTX 470, 2047 MB, driver 4.14.13.9135\n"
              "Network:     ifb0, 2E-8A-D9-8B-B4-9D-, 0.0.0.0, DHCP\n"
              "Network:     ifb1, D2-13-A8-6B-CF-BD-, 0.0.0.0, DHCP\n"
              "Network:     eth0, 02-FC-00-00-00-01-, 192.0.2.2, DHCP\n"
              "Drives:      C:\\ 67.6 GiB free of 252.0 GiB; Z:\\ 67.6 GiB free of 252.0 GiB\n"
              "Processes:   not collected, services and drivers: 23\n" +
                  std::string(u8"Not collected: processes (Windows NT 4.0は未対応です。)\n") +
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
    EXPECT_NE(std::string::npos, run.Output.find("added 3 (0 read in part), already there 1, unreadable 0, skipped 0\n")) << run.Output;
    run = Reader("--db " + db + " " + (folder / "reports").string());
    EXPECT_EQ(0, run.Code) << run.Output;
    EXPECT_NE(std::string::npos, run.Output.find("added 0 (0 read in part), already there 4, unreadable 0, skipped 0\n")) << run.Output;

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

// A database the reader before parts made is brought up to date and keeps its
// rows; two runs in one file are two rows; one of a newer reader is left alone.
TEST(CommandLineTest, DatabaseMigratesAndStoresEachPart)
{
    const auto folder = FreshFolder("migrate");
    const std::string db = (folder / "old.sqlite").string();
    sqlite3* handle = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open(db.c_str(), &handle));
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(handle,
        "CREATE TABLE reports (id INTEGER PRIMARY KEY, file TEXT NOT NULL, sha256 TEXT NOT NULL UNIQUE,"
        " status TEXT NOT NULL, report_date TEXT, computer TEXT, user TEXT, cpu TEXT, cpu_family INTEGER,"
        " cpu_model INTEGER, cpu_count INTEGER, clock_mhz INTEGER, memory_bytes INTEGER, os_row TEXT, os_product TEXT,"
        " os_edition TEXT, os_service_pack TEXT, os_build INTEGER, windows TEXT, windows_version TEXT,"
        " windows_build TEXT, windows_architecture TEXT, directx TEXT, d3d9_adapter TEXT, d3d9_driver_version TEXT,"
        " whql TEXT);"
        // The tables a later version adds columns to, as version 1 made them.
        "CREATE TABLE adapters (report_id INTEGER NOT NULL REFERENCES reports(id), source TEXT, position INTEGER,"
        " description TEXT, vendor_id TEXT, device_id TEXT, driver_version TEXT, driver_date TEXT, memory TEXT,"
        " software INTEGER);"
        "CREATE TABLE displays (report_id INTEGER NOT NULL REFERENCES reports(id), source TEXT, adapter INTEGER,"
        " device TEXT, width INTEGER, height INTEGER, refresh INTEGER, text TEXT);"
        "INSERT INTO reports (file, sha256, status) VALUES ('kept.txt', 'feed', 'read');", nullptr, nullptr, nullptr));
    sqlite3_close(handle);
    WriteAll(folder / "two.txt", "Two runs:\n" + Sample("win7") + Sample("win10"));
    WriteAll(folder / "cut.txt", Sample("win10").substr(0, Sample("win10").find("Process Enum:")));
    TRun run = Reader("--db " + db + " " + (folder / "two.txt").string() + " " + (folder / "cut.txt").string());
    EXPECT_EQ(1, run.Code) << run.Output;
    EXPECT_NE(std::string::npos, run.Output.find("added 3 (1 read in part), already there 0")) << run.Output;
    ASSERT_EQ(SQLITE_OK, sqlite3_open(db.c_str(), &handle));
    const struct {
        const char* Query;
        long long Expected;
    } queries[] = {
        {"PRAGMA user_version", 5},
        {"SELECT COUNT(*) FROM reports WHERE file = 'kept.txt' AND part = 1", 1},
        {"SELECT COUNT(*) FROM reports WHERE file LIKE '%two.txt' AND parts = 2", 2},
        {"SELECT COUNT(*) FROM reports WHERE preface = 'Two runs:\n' AND part = 1", 1},
        {"SELECT COUNT(*) FROM adapters WHERE source = 'd3d9' AND vendor_id = '0x10DE' AND device_id = '0x06CD'", 3},
        {"SELECT COUNT(*) FROM network_adapters WHERE dhcp = 1 AND ip = '192.0.2.2'", 2},
        {"SELECT COUNT(*) FROM problems p JOIN reports r ON r.id = p.report_id WHERE r.file LIKE '%cut.txt'"
         " AND p.message LIKE 'no section ''processes''%'", 1},
        {"SELECT COUNT(*) FROM findings f JOIN reports r ON r.id = f.report_id WHERE r.file LIKE '%cut.txt'"
         " AND f.rule = 'no-service-list'", 0},
    };
    for (const auto& q : queries) EXPECT_EQ(q.Expected, Count(handle, q.Query)) << q.Query;
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(handle, "PRAGMA user_version = 99", nullptr, nullptr, nullptr));
    sqlite3_close(handle);
    run = Reader("--db " + db + " " + (folder / "two.txt").string());
    EXPECT_EQ(2, run.Code) << run.Output;
    EXPECT_NE(std::string::npos, run.Output.find("schema version 99, newer than this reader's 5")) << run.Output;
    std::filesystem::remove_all(folder);
}

// A database an older reader made (its dump): brought to the current version, its report kept
// (and known again, with the rows it owns), a new one stored whole.
TEST(CommandLineTest, OlderDatabasesMigrate)
{
    const std::filesystem::path samples(ENVCHECK_READER_SAMPLES);
    const struct {
        const char* Dump;
        const char* Kept;  // rows of the old report the migration keeps
        std::vector<const char*> Reports;
        std::vector<std::pair<std::string, long long>> Queries;
    } cases[] = {
        // Before the display devices.
        {"version2", "SELECT COUNT(*) FROM processes WHERE report_id = 1", {"matrix-win7", "hybrid-laptop"}, {
            {"PRAGMA user_version", 5},
            {"SELECT COUNT(*) FROM adapters WHERE report_id = 1 AND high_performance IS NULL AND feature_level IS NULL", 3},
            {"SELECT COUNT(*) FROM adapters WHERE high_performance = 1 AND minimum_power = 0 AND feature_level = '12_2'"
             " AND feature_level_number = 1202 AND direct3d12 = 1 AND shader_model = '6.7'", 1},
            {"SELECT COUNT(*) FROM displays WHERE source = 'dxgi' AND refresh = 60 AND panel_refresh = 144 AND hdr = 'off'"
             " AND connection = 'internal' AND monitor = 'Sharp LQ156M1JW'", 1},
            {"SELECT COUNT(*) FROM display_devices WHERE report_id = 2", 4},
            {"SELECT COUNT(*) FROM display_devices WHERE name = 'AMD Radeon RX 580' AND state = 'problem' AND problem_code = 43"
             " AND driver_version = '31.0.21001.45002' AND driver_date = '2023-05-12' AND basic_driver = 0", 1},
            {"SELECT COUNT(*) FROM display_devices WHERE state = 'disabled' AND problem_code = 22 AND basic_driver = 1", 1},
            {"SELECT COUNT(*) FROM reports WHERE remote_session = 1", 1},
            {"SELECT COUNT(*) FROM findings WHERE rule = 'game-gpu-not-high-performance'", 1},
        }},
        // Before the Windows block's newer lines.
        {"version3", "SELECT COUNT(*) FROM display_devices WHERE report_id = 1", {"hybrid-laptop", "win10-test-signing"}, {
            {"PRAGMA user_version", 5},
            {"SELECT COUNT(*) FROM reports WHERE id = 1 AND firmware IS NULL AND processor_features IS NULL", 1},
            {"SELECT COUNT(*) FROM reports WHERE id = 2 AND processor_features = 'SSE3 SSSE3 SSE4.1 SSE4.2 POPCNT AVX AVX2 FMA3'"
             " AND features_off_in_windows = 'AVX AVX2 FMA3' AND firmware = 'UEFI' AND secure_boot = 'off' AND tpm = 'none'"
             " AND memory_integrity = 'off' AND test_signing = 'on' AND vc_runtime_x86 = 'missing' AND vc_runtime_x64 = '14.29.30133'"
             " AND dotnet_framework = '4.8' AND directx9_extras = 'none' AND directx9_extras_missing LIKE 'd3dx9_43 %'"
             " AND power_plan = '" u8"バランス" "' AND battery_saver = 'off'", 1},
            {"SELECT COUNT(*) FROM security_products WHERE report_id = 2 AND position = 1 AND name = 'ESET Security'"
             " AND state = 'on' AND definitions = 'out of date'", 1},
            {"SELECT COUNT(*) FROM crashes WHERE report_id = 2 AND position = 0 AND program = '" u8"ゲーム ランチャー.exe" "'"
             " AND program_version = '3.1.0.7' AND module = 'KERNELBASE.dll' AND exception = '0xe0434352'"
             " AND offset = '0x000000000002d3a2' AND time = '2026-12-08 22:14:05'", 1},
            {"SELECT COUNT(*) FROM findings WHERE report_id = 2 AND rule = 'third-party-security-software'", 1},
        }},
        // Before the support desk's columns: derived from the rows, the text not there.
        {"version4", "SELECT COUNT(*) FROM crashes WHERE report_id = 1", {"gaming-pc-win11", "matrix-winxp"}, {
            {"PRAGMA user_version", 5},
            {"SELECT COUNT(*) FROM reports WHERE added GLOB '2[0-9][0-9][0-9]-[01][0-9]-[0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-6][0-9]'", 2},
            {"SELECT COUNT(*) FROM reports WHERE id = 1 AND gpu = 'NVIDIA GeForce RTX 4070' AND gpu_vendor = 'NVIDIA'", 1},
            {"SELECT COUNT(*) FROM displays WHERE report_id = 1 AND source = 'dxgi' AND scale = 100", 1},
            {"SELECT COUNT(*) FROM displays WHERE scale IS NOT NULL AND source = 'dxdiag'", 0},
            {"SELECT COUNT(*) FROM report_texts", 1},
            {"SELECT COUNT(*) FROM pragma_index_info('findings_rule')", 2},
        }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Dump);
        const auto folder = FreshFolder(c.Dump);
        const std::string db = (folder / "old.sqlite").string();
        sqlite3* handle = nullptr;
        ASSERT_EQ(SQLITE_OK, sqlite3_open(db.c_str(), &handle));
        const std::string dump = ReadAll(samples / ".." / (std::string(c.Dump) + ".sql"));
        ASSERT_EQ(SQLITE_OK, sqlite3_exec(handle, dump.c_str(), nullptr, nullptr, nullptr));
        const long long kept = Count(handle, c.Kept);
        EXPECT_LT(0, kept) << c.Kept;
        sqlite3_close(handle);
        std::string reports;
        for (const char* name : c.Reports) reports += " " + (samples / (std::string(name) + ".txt")).string();
        const TRun run = Reader("--db " + db + reports);
        EXPECT_EQ(0, run.Code) << run.Output;
        EXPECT_NE(std::string::npos, run.Output.find("added 1 (0 read in part), already there 1")) << run.Output;
        ASSERT_EQ(SQLITE_OK, sqlite3_open(db.c_str(), &handle));
        EXPECT_EQ(kept, Count(handle, c.Kept)) << c.Kept;
        for (const auto& q : c.Queries) EXPECT_EQ(q.second, Count(handle, q.first)) << q.first;
        // The old report is counted in the survey as storing it anew counts it.
        const char* survey = "SELECT group_concat(row, char(10)) FROM (SELECT month || ' ' || dimension || ' ' || value || ' '"
                             " || reports AS row FROM survey ORDER BY 1)";
        const std::string migrated = Text(handle, survey);
        sqlite3_close(handle);
        const std::string fresh = (folder / "fresh.sqlite").string();
        EXPECT_EQ(0, Reader("--db " + fresh + reports).Code);
        ASSERT_EQ(SQLITE_OK, sqlite3_open(fresh.c_str(), &handle));
        EXPECT_EQ(Text(handle, survey), migrated);
        sqlite3_close(handle);
        std::filesystem::remove_all(folder);
    }
}

// The hybrid laptop's summary shows what its newer lines say; its diff, how its display devices changed.
TEST(CommandLineTest, DisplayDevicesInSummaryAndDiff)
{
    const auto folder = FreshFolder("devices");
    std::string newer = Hybrid();
    for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
             {"31.0.101.2111 of 2022-11-09", "31.0.101.5333 of 2024-02-20"},
             {"problem 43 (Windows stopped this device because it reported problems)", "working"},
             {"Microsoft Basic Display Adapter: driver 10.0.18362.1 of 2006-06-21, disabled (no vendor driver)",
              "USB Display: driver unknown, unknown"}})
        newer.replace(newer.find(from), from.size(), to);
    WriteAll(folder / "old.txt", Hybrid());
    WriteAll(folder / "new.txt", newer);
    const TRun summary = Reader((folder / "old.txt").string());
    const TRun diff = Reader("--diff " + (folder / "old.txt").string() + " " + (folder / "new.txt").string());
    for (const auto& [run, line] : std::vector<std::pair<const TRun*, std::string>>{
             {&summary, "Windows:     Windows 10 Professional 1903 (10.0.18362.1), x64, in a remote session\n"},
             {&summary, "  adapter 0: Intel(R) UHD Graphics 620, 128 MB, driver 31.0.101.2111, minimum power, feature level 12_1, Direct3D 12 shader model 6.6\n"
                        "    display \\\\.\\DISPLAY1 1920 x 1080 60 Hz (panel up to 144 Hz), scale 125%, primary, HDR off, internal, \"Sharp LQ156M1JW\"\n"
                        "  adapter 1: NVIDIA GeForce RTX 3070 Laptop GPU, 8031 MB, driver 31.0.15.3623, high performance, feature level 12_2, Direct3D 12 shader model 6.7\n"},
             {&summary, "  device: AMD Radeon RX 580, driver 31.0.21001.45002 of 2023-05-12, problem 43 (Windows stopped this device because it reported problems)\n"
                        "  device: Microsoft Basic Display Adapter, driver 10.0.18362.1 of 2006-06-21, disabled (no vendor driver)\n"},
             {&diff, "Display device driver: Intel(R) UHD Graphics 620: 31.0.101.2111 of 2022-11-09 -> 31.0.101.5333 of 2024-02-20\n"},
             {&diff, "Display device state: AMD Radeon RX 580: problem 43 (Windows stopped this device because it reported problems) -> working\n"},
             {&diff, "Display device appeared: USB Display, driver ?, unknown\nDisplay device gone: Microsoft Basic Display Adapter\n"}})
        EXPECT_NE(std::string::npos, run->Output.find(line)) << run->Output;
    std::filesystem::remove_all(folder);
}

// The Windows block's newer lines and the crashes in the summary; in the diff only where both reports have them.
TEST(CommandLineTest, WindowsBlockInSummaryAndDiff)
{
    const std::string samples = ENVCHECK_READER_SAMPLES, signing = samples + "/win10-test-signing.txt";
    const TRun summary = Reader(signing);
    const TRun diff = Reader("--diff " + signing + " " + samples + "/gaming-pc-win11.txt");
    const TRun older = Reader("--diff " + samples + "/matrix-win10.txt " + samples + "/gaming-pc-win11.txt");
    for (const auto& [run, line] : std::vector<std::pair<const TRun*, std::string>>{
             {&summary, "Platform:    UEFI, Secure Boot off; TPM none; memory integrity off; test signing on\n"
                        "Security:    Windows Defender Antivirus (off, up to date); ESET Security (on, out of date)\n"
                        "Runtimes:    Visual C++ x86 missing, x64 14.29.30133; .NET Framework 4.8; DirectX 9 extras none (missing: d3dx9_43 "},
             {&summary, u8"Power plan:  バランス, battery saver off\n"},
             {&summary, "Crashes:     2 in the last 30 days\n  crash: 2026-12-08 22:14:05 "},
             {&diff, "Firmware: UEFI, Secure Boot off -> UEFI, Secure Boot on\nTPM: none -> 2.0\nTest signing: on -> off\n"},
             {&diff, "New crash: 2026-12-01 21:03:11 game.exe 1.2.3.4, module nvwgf2um.dll"}})
        EXPECT_NE(std::string::npos, run->Output.find(line)) << run->Output;
    EXPECT_EQ(std::string::npos, older.Output.find("TPM")) << older.Output;
    EXPECT_EQ(std::string::npos, older.Output.find("New crash")) << older.Output;
}

TEST(CommandLineTest, DiffNamesWhatChanged)
{
    const auto folder = FreshFolder("diff");
    // A laptop's second GPU, whose driver is updated, and a service started.
    const std::string second = "Graphics adapter 1: Intel(R) UHD Graphics 630\n VendorId: 0x8086  DeviceId: 0x3E9B\n"
                               " Driver version: 26.20.100.7000\n\n";
    std::string older = Sample("win10") + second;
    std::string newer = older;
    newer.replace(newer.find("szDriverVersion: 26.21.0013.9135"), 32, "szDriverVersion: 31.0.15.5222");
    newer.replace(newer.find("26.20.100.7000"), 14, "31.0.101.2111");
    newer.replace(newer.find("| not running.         |"), 24, "| running.             |");
    // Both cells of the row, each keeping its width.
    for (int cell = 0; cell < 2; ++cell) newer.replace(newer.find("explorer.exe"), 12, "game.exe    ");
    WriteAll(folder / "old.txt", older);
    WriteAll(folder / "new.txt", newer);
    const TRun run = Reader("--diff " + (folder / "old.txt").string() + " " + (folder / "new.txt").string());
    EXPECT_EQ(0, run.Code) << run.Output;
    for (const char* line : {"Driver changed: NVIDIA GeForce GTX 470 (display): 26.21.0013.9135 of 2016-01-01 -> 31.0.15.5222 of 2016-01-01\n",
                             "Driver changed: Intel(R) UHD Graphics 630 (adapter): 26.20.100.7000 -> 31.0.101.2111\n",
                             "Service BITS (service): not running. -> running.\n"})
        EXPECT_NE(std::string::npos, run.Output.find(line)) << run.Output;
    // The second GPU gone: named, not a changed date.
    WriteAll(folder / "new.txt", Sample("win10"));
    const TRun gone = Reader("--diff " + (folder / "old.txt").string() + " " + (folder / "new.txt").string());
    EXPECT_NE(std::string::npos, gone.Output.find("Adapter gone: Intel(R) UHD Graphics 630 (adapter)\n")) << gone.Output;
    EXPECT_NE(std::string::npos, run.Output.find("Process gone: C:\\windows\\system32\\explorer.exe")) << run.Output;
    EXPECT_NE(std::string::npos, run.Output.find("Process started: C:\\windows\\system32\\game.exe\n")) << run.Output;
    const TRun same = Reader("--diff " + (folder / "old.txt").string() + " " + (folder / "old.txt").string());
    EXPECT_EQ("No change in OS, drivers, drives, services or processes.\n", same.Output);
    std::filesystem::remove_all(folder);
}
