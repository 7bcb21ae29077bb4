// envcheck-read's speed and memory over 10,000 reports made from the sample
// reports: the floor (read and decode to UTF-8), the parse, a database load
// through TDatabase, SQLite alone, and the peak memory of a load of 1,000 and
// of 10,000 reports; then the peak memory of hostile files of the largest size
// a report may have, and a --diff of two such reports. Each figure is the
// median of RUNS runs (default 3), but for the hostile files' peaks (one each).
// Exit code 1 when a goal is missed, 2 when the run itself fails.
// usage: envcheck_read_bench [SAMPLES_FOLDER]
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "Cp932.h"
#include "Database.h"
#include "Load.h"
#include "Output.h"
#include "Parser.h"

namespace fs = std::filesystem;
using bench::Clock;
using bench::Median;
using bench::Since;

namespace {

constexpr size_t Copies = 10000;
constexpr double ParseGoal = 3.0;   // parse time per report, in floors
constexpr double MemoryGoal = 1.5;  // peak memory of 10,000 reports, in that of 1,000
constexpr double HostileGoal = 8.0;  // peak memory of the worst 16 MiB file, in its size
constexpr double DiffGoal = 2.0;     // seconds for the diff of two 16 MiB reports
// What a hostile file's child may take, so that a reader gone wrong dies there rather than take the machine.
constexpr rlim_t ChildBytes = rlim_t(2) << 30, ChildSeconds = 120;

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
        WriteAll(paths.back(), text);
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

// The peak resident set in KiB, on stdout for the parent.
int PrintPeak(int code)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) std::printf("%ld\n", std::atol(line.c_str() + 6));
    return code;
}

// The child's side of the memory figure: load COUNT reports, then print the peak resident set in KiB.
int Memory(const std::string& folder, size_t count)
{
    std::vector<std::string> paths;
    for (size_t n = 0; n < count; ++n)
        paths.push_back((fs::path(folder) / ("report-" + std::to_string(100000 + n) + ".txt")).string());
    if (LoadDatabase((fs::path(folder) / "memory.db").string(), paths, count) < 0) return 2;
    return PrintPeak(0);
}

// The child's side of a hostile file: all the command line makes of it, then the peak; 3 when memory ran out.
int Hostile(const std::string& file)
{
    try {
        std::ostream none(nullptr);
        size_t sink = 0;
        for (const reader::Loaded& loaded : reader::LoadAll(file, ReadAll(file))) {
            sink += reader::JsonLine(loaded).size();
            reader::WriteSummary(none, loaded);
        }
        return PrintPeak(sink > 0 ? 0 : 2);
    } catch (const std::bad_alloc&) {
        return PrintPeak(3);
    }
}

// Files of exactly the largest size a report may have, each made to cost the reader the most of one kind:
// sections, blank lines, joined reports, table rows, key lines, line ends to undo, bytes that are not cp932.
std::vector<std::pair<std::string, std::string>> MakeHostile(const std::string& sample)
{
    const auto fill = [](std::string text, const std::string& unit) {
        while (text.size() < reader::MaxReportBytes) text += unit;
        text.resize(reader::MaxReportBytes);
        return text;
    };
    return {{"'Process Enum:' lines", fill("", "Process Enum:\n")},
            {"one section, then blank lines", fill("Hardware information: \nProcess Enum:\n", "\n")},
            {"'Hardware information: ' lines", fill("", "Hardware information: \n")},
            {"a sample, then '| a | b |' rows", fill(sample, "| a | b |\n")},
            {"a sample, then a border and short rows", fill(sample + "+--+--+\n|a |b |\n+--+--+\n", "|a |b |\n")},
            {"one section, then 'a:b' lines", fill("Hardware information: \n", "a:b\n")},
            {"'Process Enum:' lines, CRLF", fill("", "Process Enum:\r\n")},
            {"'a:b' lines, CRLF and LF by turns", fill("Hardware information: \r\n", "a:b\r\nc:d\n")},
            {"lines of one 0x81 byte", fill("", "\x81\n")},
            {"lines of 255 0x81 bytes", fill("", std::string(255, '\x81') + "\n")}};
}

// Peak memory in MiB of a fresh process reading FILE, or -1 with why it did not finish.
double HostilePeak(const fs::path& self, const std::string& file, std::string& why)
{
    int out[2];
    if (pipe(out) != 0) return why = "no pipe", -1;
    const pid_t pid = fork();
    if (pid == 0) {
        const rlimit bytes{ChildBytes, ChildBytes}, seconds{ChildSeconds, ChildSeconds};
        setrlimit(RLIMIT_AS, &bytes);
        setrlimit(RLIMIT_CPU, &seconds);
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        execl(self.c_str(), self.c_str(), "--hostile", file.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    FILE* child = fdopen(out[0], "r");
    long kib = -1;
    if (child == nullptr || std::fscanf(child, "%ld", &kib) != 1) kib = -1;
    if (child != nullptr) std::fclose(child);
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) return why = "could not be started", -1;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0 && kib >= 0) return kib / 1024.0;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 3)
        why = "out of memory at its " + std::to_string(ChildBytes >> 30) + " GiB address-space limit, peak " +
              std::to_string(kib / 1024) + " MiB";
    else if (WIFSIGNALED(status) && WTERMSIG(status) == SIGXCPU)
        why = "out of its " + std::to_string(ChildSeconds) + " s of CPU";
    else if (WIFSIGNALED(status))
        why = std::string("killed by ") + strsignal(WTERMSIG(status)) + " (the limit is " +
              std::to_string(ChildBytes >> 30) + " GiB of address space)";
    else
        why = "exit code " + std::to_string(WEXITSTATUS(status));
    return -1;
}

// A report of one machine near the largest size: the sample's drives and processes many times over. The newer
// has every 10th drive gone, every 7th fuller, and every 10th process another, so that the diff has work.
std::string LargeReport(const std::string& sample, bool newer)
{
    const size_t drive = sample.find("Drive : C:\\"), next = sample.find("Drive : Z:\\"), row = sample.find("| 696 |");
    if (drive == std::string::npos || next == std::string::npos || row == std::string::npos || row > drive) return {};
    const std::string block = sample.substr(drive + 10, next - drive - 10);  // what follows "Drive : C:"
    std::string drives, rows;
    char line[128];
    for (size_t n = 0, size = sample.size(); size + block.size() + 3 * sizeof line < reader::MaxReportBytes; ++n) {
        std::string one = "Drive : D" + std::to_string(n) + ":" + block;
        size += one.size();
        if (newer && n % 7 == 0 && one.find("FreeBytes: 7") != std::string::npos)
            one.replace(one.find("FreeBytes: 7"), 12, "FreeBytes: 1");
        if (!newer || n % 10 != 0) drives += one;
        for (size_t m = 3 * n; m < 3 * n + 3; ++m) {
            const std::string name = (newer && m % 10 == 0 ? "q" : "p") + std::to_string(1000000 + m) + ".exe";
            size += std::snprintf(line, sizeof line, "| %3zu | %-21s | %-35s |\n", m % 1000, name.c_str(),
                                  ("C:\\apps\\" + name).c_str());
            rows += line;
        }
    }
    return std::string(sample).insert(next, drives).insert(row, rows);
}

// Seconds to read two reports and write what changed between them, or -1.
double Diff(const std::string& older, const std::string& newer)
{
    const Clock::time_point start = Clock::now();
    const std::vector<reader::Loaded> a = reader::LoadAll("older.txt", older), b = reader::LoadAll("newer.txt", newer);
    std::ostringstream out;
    const bool changed = reader::WriteDiff(out, a.front(), b.front());
    const double seconds = Since(start);
    const bool read = a.front().Model.State != reader::Status::Unreadable && b.front().Model.State != reader::Status::Unreadable;
    return changed && read ? seconds : -1;
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
    if (argc == 3 && std::string(argv[1]) == "--hostile") return Hostile(argv[2]);
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
    std::vector<double> floor, parse, load, total, inDatabase, plain, small, large, diff;
    std::vector<std::string> shas(paths.size());
    const std::string sample = fs::exists(samples / "matrix-win10.txt") ? ReadAll((samples / "matrix-win10.txt").string()) : "";
    const std::string older = LargeReport(sample, false), newer = LargeReport(sample, true);
    bool failed = paths.size() != Copies || older.empty();
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
        diff.push_back(Diff(older, newer));
        failed = failed || small.back() < 0 || large.back() < 0 || diff.back() < 0;
    }
    // Peak memory hardly varies from run to run, and a hostile file may take long: one run each.
    std::vector<std::pair<std::string, double>> peaks;
    std::vector<std::string> whys;
    for (const auto& [name, bytes] : MakeHostile(failed ? "" : sample)) {
        if (failed) break;
        const std::string file = (folder / ("hostile-" + std::to_string(peaks.size()) + ".txt")).string();
        WriteAll(file, bytes);
        whys.emplace_back();
        peaks.emplace_back(name, HostilePeak(self, file, whys.back()));
    }
    std::error_code error;
    fs::remove_all(folder, error);
    if (failed) {
        std::fprintf(stderr, "bench: the run failed (copies %zu, unreadable %zu)\n", paths.size(), unread);
        return 2;
    }
    const double ratio = Median(parse) / Median(floor), growth = Median(large) / Median(small);
    const bool parseOk = ratio <= ParseGoal, memoryOk = growth <= MemoryGoal, diffOk = Median(diff) <= DiffGoal;
    const double size = reader::MaxReportBytes / 1048576.0;
    double worst = 0;  // a file whose child died is worse than any that finished
    size_t worstAt = 0, died = 0;
    for (size_t n = 0; n < peaks.size(); ++n) {
        const double ratio = peaks[n].second < 0 ? HUGE_VAL : peaks[n].second / size;
        died += peaks[n].second < 0;
        if (ratio > worst) worst = ratio, worstAt = n;
    }
    const bool hostileOk = !peaks.empty() && worst <= HostileGoal;
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
    std::printf("  %-44s %9.3f s  for %.1f + %.1f MiB (goal <= %.0f s) %s\n", "--diff: LoadAll of both + WriteDiff",
                Median(diff), older.size() / 1048576.0, newer.size() / 1048576.0, DiffGoal, diffOk ? "ok" : "MISSED");
    std::printf("  peak memory of a %.0f MiB file, in its own process:\n", size);
    for (size_t n = 0; n < peaks.size(); ++n)
        if (peaks[n].second >= 0)
            std::printf("    %-42s %9.1f MiB  %.2fx its size\n", peaks[n].first.c_str(), peaks[n].second, peaks[n].second / size);
        else
            std::printf("    %-42s %9s      died: %s MISSED\n", peaks[n].first.c_str(), "-", whys[n].c_str());
    const char* worstName = peaks.empty() ? "-" : peaks[worstAt].first.c_str();
    if (died > 0)
        std::printf("  %-44s %9s      %zu of %zu died (goal <= %.0fx) MISSED: first %s\n", "peak memory, worst 16 MiB file",
                    "-", died, peaks.size(), HostileGoal, worstName);
    else
        std::printf("  %-44s %9.1f MiB  %.2fx its size (goal <= %.0fx) %s: %s\n", "peak memory, worst 16 MiB file",
                    worst * size, worst, HostileGoal, hostileOk ? "ok" : "MISSED", worstName);
    return parseOk && memoryOk && diffOk && hostileOk ? 0 : 1;
}
