// envcheck-read's speed and memory over 10,000 reports made from the sample
// reports: the floor (read and decode to UTF-8), the parse, a database load
// through TDatabase, SQLite alone, and the peak memory of a load of 1,000 and
// of 10,000 reports. Each figure is the median of RUNS runs (default 3).
// Exit code 1 when a goal is missed, 2 when the run itself fails.
// usage: envcheck_read_bench [SAMPLES_FOLDER]
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Cp932.h"
#include "Database.h"
#include "Load.h"
#include "Parser.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr size_t Copies = 10000;
constexpr double ParseGoal = 3.0;   // parse time per report, in floors
constexpr double MemoryGoal = 1.5;  // peak memory of 10,000 reports, in that of 1,000

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string ReadAll(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::string bytes(static_cast<size_t>(fs::file_size(path)), '\0');
    file.read(&bytes[0], static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

// Copies of the samples, each with its own computer name, so that no two have the same bytes.
std::vector<std::string> MakeCopies(const fs::path& samples, const fs::path& folder)
{
    std::vector<std::string> texts;
    for (const auto& entry : fs::directory_iterator(samples)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("matrix-", 0) == 0 && entry.path().extension() == ".txt") texts.push_back(entry.path().string());
    }
    std::sort(texts.begin(), texts.end());
    for (std::string& text : texts) text = ReadAll(text);
    const std::string line = "Computer name:  VM";
    std::vector<std::string> paths;
    for (size_t n = 0; n < Copies && !texts.empty(); ++n) {
        std::string text = texts[n % texts.size()];
        const size_t at = text.find(line);
        if (at == std::string::npos) return {};
        text.replace(at + line.size() - 2, 2, "PC" + std::to_string(100000 + n));
        paths.push_back((folder / ("report-" + std::to_string(100000 + n) + ".txt")).string());
        std::ofstream(paths.back(), std::ios::binary) << text;
    }
    return paths;
}

// Reads and adds the reports to a new database; the seconds spent in TDatabase, or -1.
double LoadDatabase(const std::string& database, const std::vector<std::string>& paths, size_t count)
{
    fs::remove(database);
    Clock::time_point start = Clock::now();
    reader::TDatabase db(database);
    if (!db.IsOpen() || !db.Begin()) return -1;
    double seconds = Since(start);
    for (size_t n = 0; n < count; ++n) {
        const reader::Loaded loaded = reader::LoadBytes(paths[n], ReadAll(paths[n]));
        start = Clock::now();
        if (!db.Add(loaded)) return -1;
        seconds += Since(start);
    }
    start = Clock::now();
    if (!db.Commit()) return -1;
    return seconds + Since(start);
}

// SQLite's own bulk load: one row per report, one transaction, one prepared statement.
bool LoadPlain(const std::string& database, const std::vector<std::string>& paths, const std::vector<std::string>& shas)
{
    fs::remove(database);
    sqlite3* db = nullptr;
    sqlite3_stmt* insert = nullptr;
    bool ok = sqlite3_open(database.c_str(), &db) == SQLITE_OK &&
              sqlite3_exec(db, "CREATE TABLE reports (file TEXT NOT NULL, sha256 TEXT NOT NULL); BEGIN", nullptr,
                           nullptr, nullptr) == SQLITE_OK &&
              sqlite3_prepare_v2(db, "INSERT INTO reports VALUES (?, ?)", -1, &insert, nullptr) == SQLITE_OK;
    for (size_t n = 0; ok && n < paths.size(); ++n) {
        sqlite3_bind_text(insert, 1, paths[n].data(), static_cast<int>(paths[n].size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, shas[n].data(), static_cast<int>(shas[n].size()), SQLITE_TRANSIENT);
        ok = sqlite3_step(insert) == SQLITE_DONE && sqlite3_reset(insert) == SQLITE_OK;
    }
    sqlite3_finalize(insert);
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

// The child's side of the memory figure: load COUNT reports, then print the peak resident set in KiB.
int Memory(const std::string& folder, size_t count)
{
    std::vector<std::string> paths;
    for (size_t n = 0; n < count; ++n)
        paths.push_back((fs::path(folder) / ("report-" + std::to_string(100000 + n) + ".txt")).string());
    if (LoadDatabase((fs::path(folder) / "memory.db").string(), paths, count) < 0) return 2;
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) std::printf("%ld\n", std::atol(line.c_str() + 6));
    return 0;
}

// Peak memory in MiB of a fresh process loading COUNT reports, or -1.
double PeakMemory(const fs::path& self, const fs::path& folder, size_t count)
{
    const std::string command = "'" + self.string() + "' --memory '" + folder.string() + "' " + std::to_string(count);
    FILE* child = popen(command.c_str(), "r");
    long kib = -1;
    if (child == nullptr || std::fscanf(child, "%ld", &kib) != 1) kib = -1;
    if (child != nullptr && pclose(child) != 0) kib = -1;
    return kib < 0 ? -1 : kib / 1024.0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--memory") return Memory(argv[2], std::strtoul(argv[3], nullptr, 10));
    const char* runsText = std::getenv("RUNS");
    const int runs = std::max(1, runsText != nullptr ? std::atoi(runsText) : 3);
    const fs::path samples = argc > 1 ? fs::path(argv[1]) : fs::path(ENVCHECK_READER_SAMPLES);
    const fs::path self = fs::read_symlink("/proc/self/exe");
    std::string pattern = (fs::temp_directory_path() / "envcheck-read-bench-XXXXXX").string();
    if (mkdtemp(&pattern[0]) == nullptr) {
        std::perror("bench: temporary folder");
        return 2;
    }
    const fs::path folder = pattern;
    const std::vector<std::string> paths = MakeCopies(samples, folder);
    const std::string database = (folder / "bench.db").string();
    std::vector<double> floor, parse, load, total, inDatabase, plain, small, large;
    std::vector<std::string> shas(paths.size());
    bool failed = paths.size() != Copies;
    size_t sink = 0, unread = 0;
    for (int run = 0; run < runs && !failed; ++run) {
        Clock::time_point start = Clock::now();
        for (const std::string& path : paths) sink += reader::Utf8(ReadAll(path)).size();
        floor.push_back(Since(start) / Copies);
        start = Clock::now();
        for (const std::string& path : paths) sink += reader::Parse(ReadAll(path)).Sections.size();
        parse.push_back(Since(start) / Copies);
        start = Clock::now();
        for (size_t n = 0; n < paths.size(); ++n) {
            const reader::Loaded loaded = reader::LoadBytes(paths[n], ReadAll(paths[n]));
            unread += loaded.Model.State == reader::Status::Unreadable;
            shas[n] = loaded.Sha256;
        }
        load.push_back(Since(start) / Copies);
        start = Clock::now();
        const double seconds = LoadDatabase(database, paths, Copies);
        total.push_back(Copies / Since(start));
        inDatabase.push_back(Copies / seconds);
        start = Clock::now();
        failed = seconds < 0 || !LoadPlain(database, paths, shas) || unread > 0;
        plain.push_back(Copies / Since(start));
        small.push_back(PeakMemory(self, folder, Copies / 10));
        large.push_back(PeakMemory(self, folder, Copies));
        failed = failed || small.back() < 0 || large.back() < 0;
    }
    std::error_code error;
    fs::remove_all(folder, error);
    if (failed) {
        std::fprintf(stderr, "bench: the run failed (copies %zu, unreadable %zu)\n", paths.size(), unread);
        return 2;
    }
    const double ratio = Median(parse) / Median(floor), growth = Median(large) / Median(small);
    const bool parseOk = ratio <= ParseGoal, memoryOk = growth <= MemoryGoal;
    std::printf("envcheck-read bench: %zu reports, median of %d runs (%zu bytes decoded)\n", Copies, runs, sink / runs);
    std::printf("  %-44s %9.1f us/report\n", "floor: read + cp932 to UTF-8", Median(floor) * 1e6);
    std::printf("  %-44s %9.1f us/report  %.2fx floor (goal <= %.0fx) %s\n", "parse: read + the model",
                Median(parse) * 1e6, ratio, ParseGoal, parseOk ? "ok" : "MISSED");
    std::printf("  %-44s %9.1f us/report  %.2fx floor\n", "  + facts, findings and SHA-256 (LoadBytes)",
                Median(load) * 1e6, Median(load) / Median(floor));
    std::printf("  %-44s %9.0f reports/s\n", "database: read + LoadBytes + TDatabase", Median(total));
    std::printf("  %-44s %9.0f reports/s\n", "  of which TDatabase alone", Median(inDatabase));
    std::printf("  %-44s %9.0f reports/s\n", "SQLite alone: one row (file, sha256) each", Median(plain));
    std::printf("  %-44s %9.1f MiB\n", "peak memory, database of 1,000 reports", Median(small));
    std::printf("  %-44s %9.1f MiB  %.2fx (goal <= %.1fx) %s\n", "peak memory, database of 10,000 reports",
                Median(large), growth, MemoryGoal, memoryOk ? "ok" : "MISSED");
    return parseOk && memoryOk ? 0 : 1;
}
