// The support desk (envcheck-read --serve) over databases of 10,000 and of
// 100,000 reports made from the sample reports: about 8 reports per machine,
// dated over 24 months. The time to the first byte of each page (the median
// of 20 requests), then of 8 clients at once; reports added per second
// through its upload against --db; and its peak memory at both sizes.
// Each desk is a child process on a free port of 127.0.0.1. The upload
// figure is the median of RUNS runs (default 3); the databases are built once.
// Exit code 1 when a goal is missed, 2 when the run itself fails.
// usage: envcheck_desk_bench ENVCHECK_READ [SAMPLES_FOLDER]
//        envcheck_desk_bench --database FILE COUNT [SAMPLES_FOLDER]  (builds one and keeps it, to study)
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "BenchSupport.h"
#include "Database.h"
#include "Load.h"

namespace fs = std::filesystem;
using bench::Clock;
using bench::Quantile;
using bench::Since;

namespace {

constexpr size_t Copies = 100000, SmallCopies = 10000, PerMachine = 8, Months = 24, Batch = 1000;
constexpr size_t Requests = 20, Clients = 8, Uploads = 2000, PerUpload = 50;
constexpr double PageGoal = 0.100, SurveyGoal = 0.300;  // seconds to the first byte, at 100,000 reports
constexpr double UploadGoal = 1.5;   // the desk's time to add the same reports, in --db's
constexpr double MemoryGoal = 1.5;   // peak memory at 100,000 reports, in that at 10,000

// The pages an agent opens, the clients going round them in this order; a report's or a machine's at random.
const std::pair<const char*, const char*> Pages[] = {
    {"inbox", "/"}, {"inbox, page 50", "/?page=50"}, {"inbox, finding windows-before-10", "/?finding=windows-before-10"},
    {"a report (at random)", "/reports/"}, {"a machine (at random)", "/machines/"}, {"survey", "/survey"}};
constexpr size_t PageCount = sizeof Pages / sizeof Pages[0];

std::vector<std::string> Samples(const fs::path& folder)
{
    std::vector<fs::path> paths;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".txt") paths.push_back(entry.path());
    std::sort(paths.begin(), paths.end());
    std::vector<std::string> texts;
    for (const fs::path& path : paths) texts.push_back(ReadAll(path));
    return texts;
}

// Report N: its machine's sample and computer name (PerMachine reports a machine), and a date of its own within
// 24 months whose seconds are its place in the machine, so that no two reports have the same bytes. Empty if the
// sample lacks either line.
std::string Copy(const std::vector<std::string>& samples, size_t n)
{
    const size_t machine = n / PerMachine;
    std::string text = samples[machine % samples.size()];
    const std::string name = "Computer name:  VM", time = " szTimeEnglish: ";
    size_t at = text.find(name);
    if (at == std::string::npos) return {};
    text.replace(at + name.size() - 2, 2, "PC" + std::to_string(100000 + machine));
    if ((at = text.find(time)) == std::string::npos) return {};
    at += time.size();
    const size_t end = text.find_first_of("\r\n", at);
    // The high bits of a multiplicative hash: neighbours land in months far apart.
    const unsigned long long h = (n * 0x9E3779B97F4A7C15ULL) >> 32;
    const unsigned month = h % Months, day = 1 + (h >> 5) % 28, hour = (h >> 10) % 24, minute = (h >> 15) % 60;
    char date[64];
    std::snprintf(date, sizeof date, "%u/%u/%u, %u:%02u:%02u", month % 12 + 1, day, 2025 + month / 12, hour, minute,
                  static_cast<unsigned>(n % PerMachine));
    return text.replace(at, end - at, date);
}

std::string CopyName(size_t n) { return "report-" + std::to_string(100000 + n) + ".txt"; }

// Adds reports FROM to TO in transactions of Batch, the next batch read on a second thread meanwhile.
bool AddCopies(const std::string& database, const std::vector<std::string>& samples, size_t from, size_t to)
{
    reader::TDatabase db(database);
    auto load = [&samples](size_t first, size_t last) {
        std::vector<reader::Loaded> batch;
        for (size_t n = first; n < last; ++n) batch.push_back(reader::LoadBytes(CopyName(n), Copy(samples, n)));
        return batch;
    };
    std::future<std::vector<reader::Loaded>> next = std::async(std::launch::async, load, from, std::min(to, from + Batch));
    for (size_t at = from; at < to && db.IsOpen(); at += Batch) {
        const std::vector<reader::Loaded> batch = next.get();
        if (at + Batch < to) next = std::async(std::launch::async, load, at + Batch, std::min(to, at + 2 * Batch));
        bool ok = db.Begin();
        for (size_t n = 0; ok && n < batch.size(); ++n) ok = db.Add(batch[n]);  // false too for bytes already there
        if (!ok || !db.Commit()) return std::fprintf(stderr, "bench: %s: %s\n", database.c_str(), db.Error().c_str()), false;
    }
    return db.IsOpen();
}

long long Count(const std::string& database, const char* sql, std::vector<std::string>* rows = nullptr)
{
    sqlite3* db = nullptr;
    sqlite3_stmt* query = nullptr;
    long long count = -1;
    if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db, sql, -1, &query, nullptr) == SQLITE_OK)
        for (count = 0; sqlite3_step(query) == SQLITE_ROW; ++count)
            if (rows != nullptr) {
                const unsigned char* text = sqlite3_column_text(query, 0);
                rows->push_back(text == nullptr ? "" : reinterpret_cast<const char*>(text));
            }
    sqlite3_finalize(query);
    sqlite3_close(db);
    return count;
}

struct TDesk {
    pid_t Pid = -1;
    int Port = 0;
    FILE* Out = nullptr;  // kept open: a desk writing to a closed pipe would die of it
};

TDesk StartDesk(const std::string& reader, const std::string& database, const std::string& log)
{
    TDesk desk;
    int out[2];
    if (pipe(out) != 0) return desk;
    desk.Pid = fork();
    if (desk.Pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        dup2(open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600), STDERR_FILENO);
        close(out[0]);
        close(out[1]);
        execl(reader.c_str(), reader.c_str(), "--serve", database.c_str(), "--listen", "127.0.0.1:0", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    desk.Out = fdopen(out[0], "r");
    char line[512];
    while (desk.Out != nullptr && desk.Port == 0 && std::fgets(line, sizeof line, desk.Out) != nullptr)
        if (const char* at = std::strstr(line, "the desk is at http://127.0.0.1:")) desk.Port = std::atoi(at + 32);
    return desk;
}

void StopDesk(TDesk& desk)
{
    if (desk.Pid > 0) {
        kill(desk.Pid, SIGTERM);
        int status = 0;
        for (int tries = 0; waitpid(desk.Pid, &status, WNOHANG) == 0; ++tries) {
            if (tries == 100) kill(desk.Pid, SIGKILL);  // ten seconds: a desk that will not end is ended
            usleep(100000);
        }
    }
    if (desk.Out != nullptr) std::fclose(desk.Out);
    desk = TDesk();
}

// The peak resident set of a process, in MiB, or -1.
double PeakMiB(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6) / 1024.0;
    return -1;
}

struct TAnswer {
    int Status = 0;
    double FirstByte = -1;  // seconds from the connect to the answer's first byte
    std::string Body;
};

// One request on a connection of its own, read to its end.
TAnswer Fetch(int port, const std::string& request)
{
    TAnswer answer;
    const Clock::time_point start = Clock::now();
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    const timeval wait{120, 0};  // a desk that hangs fails the run rather than stall it
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    const sockaddr_in address{AF_INET, htons(static_cast<uint16_t>(port)), {htonl(INADDR_LOOPBACK)}, {}};
    bool ok = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    for (size_t sent = 0; ok && sent < request.size();) {
        const ssize_t n = send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        ok = n > 0;
        sent += ok ? static_cast<size_t>(n) : 0;
    }
    std::string bytes;
    char buffer[65536];
    for (ssize_t got; ok && (got = recv(fd, buffer, sizeof buffer, 0)) > 0;) {
        if (bytes.empty()) answer.FirstByte = Since(start);
        bytes.append(buffer, static_cast<size_t>(got));
    }
    close(fd);
    const size_t body = bytes.find("\r\n\r\n");
    if (bytes.rfind("HTTP/1.1 ", 0) == 0 && body != std::string::npos) {
        answer.Status = std::atoi(bytes.c_str() + 9);
        answer.Body = bytes.substr(body + 4);
    }
    return answer;
}

std::string Get(int port, const std::string& path)
{
    return "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\nConnection: close\r\n\r\n";
}

// The form token of the inbox page, which an upload must carry.
std::string CsrfOf(int port)
{
    const std::string body = Fetch(port, Get(port, "/")).Body, meta = "<meta name=\"csrf-token\" content=\"";
    const size_t at = body.find(meta), end = at == std::string::npos ? at : body.find('"', at + meta.size());
    return end == std::string::npos ? "" : body.substr(at + meta.size(), end - at - meta.size());
}

struct TSite {
    std::vector<std::string> Ids, Machines;  // machines by their keys in the desk's addresses
};

std::string PathOf(size_t page, const TSite& site, std::mt19937& random)
{
    const std::string path = Pages[page].second;
    if (path == "/reports/") return path + site.Ids[random() % site.Ids.size()];
    return path == "/machines/" ? path + site.Machines[random() % site.Machines.size()] : path;
}

struct TPages {
    double FirstByte[PageCount] = {};  // median seconds to the first byte
    double Median = -1, P95 = -1, PerSecond = -1, PeakMiB = -1;
    size_t Machines = 0;
};

// The pages one at a time, then Clients at once, on a desk over DATABASE; false when a page was not answered 200.
bool MeasurePages(const std::string& reader, const std::string& database, const std::string& log, TPages& out)
{
    TSite site;
    // A machine's key: the hex of its computer name, a line feed and its user name, in UTF-8 (the database's).
    const char* machines = "SELECT DISTINCT lower(hex(COALESCE(computer, '') || char(10) || COALESCE(user, ''))) FROM reports";
    if (Count(database, "SELECT id FROM reports", &site.Ids) <= 0 || Count(database, machines, &site.Machines) <= 0) return false;
    out.Machines = site.Machines.size();
    TDesk desk = StartDesk(reader, database, log);
    bool ok = desk.Port > 0 && Fetch(desk.Port, Get(desk.Port, "/")).Status == 200;  // and the first, cold request aside
    std::mt19937 random(1);
    for (size_t page = 0; ok && page < PageCount; ++page) {
        std::vector<double> times;
        for (size_t n = 0; ok && n < Requests; ++n) {
            const std::string path = PathOf(page, site, random);
            const TAnswer answer = Fetch(desk.Port, Get(desk.Port, path));
            if (!(ok = answer.Status == 200)) std::fprintf(stderr, "bench: %s answered %d\n", path.c_str(), answer.Status);
            times.push_back(answer.FirstByte);
        }
        out.FirstByte[page] = Quantile(times);
    }
    std::vector<std::vector<double>> times(Clients);
    std::vector<std::thread> clients;
    const Clock::time_point start = Clock::now();
    std::vector<char> failed(Clients, !ok);
    for (size_t c = 0; ok && c < Clients; ++c)
        clients.emplace_back([&, c] {
            std::mt19937 own(static_cast<unsigned>(c + 2));
            for (size_t n = 0; !failed[c] && n < Requests; ++n) {
                const TAnswer answer = Fetch(desk.Port, Get(desk.Port, PathOf((c + n) % PageCount, site, own)));
                failed[c] = answer.Status != 200;
                times[c].push_back(answer.FirstByte);
            }
        });
    for (std::thread& client : clients) client.join();
    const double seconds = Since(start);
    std::vector<double> all;
    for (const std::vector<double>& some : times) all.insert(all.end(), some.begin(), some.end());
    ok = ok && std::count(failed.begin(), failed.end(), 1) == 0;
    out.Median = Quantile(all), out.P95 = Quantile(all, 0.95), out.PerSecond = all.size() / seconds;
    out.PeakMiB = desk.Pid > 0 ? PeakMiB(desk.Pid) : -1;
    StopDesk(desk);
    return ok;
}

// Seconds for a desk to add the files through POST /api/upload, PerUpload a request, into DATABASE; -1 on failure.
double UploadSeconds(const std::string& reader, const std::string& database, const std::string& log,
                     const std::vector<std::string>& files)
{
    TDesk desk = StartDesk(reader, database, log);
    const std::string csrf = desk.Port > 0 ? CsrfOf(desk.Port) : "", boundary = "envcheck-desk-bench-boundary";
    bool ok = !csrf.empty();
    const Clock::time_point start = Clock::now();
    for (size_t first = 0; ok && first < files.size(); first += PerUpload) {
        std::string body;
        for (size_t n = first; n < std::min(files.size(), first + PerUpload); ++n)
            body += "--" + boundary + "\r\nContent-Disposition: form-data; name=\"reports\"; filename=\"" +
                    fs::path(files[n]).filename().string() + "\"\r\nContent-Type: text/plain\r\n\r\n" + ReadAll(files[n]) + "\r\n";
        body += "--" + boundary + "--\r\n";
        const TAnswer answer = Fetch(desk.Port, "POST /api/upload HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(desk.Port) +
                                                    "\r\nConnection: close\r\nX-CSRF-Token: " + csrf +
                                                    "\r\nContent-Type: multipart/form-data; boundary=" + boundary +
                                                    "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
        ok = answer.Status == 200;
    }
    const double seconds = Since(start);
    StopDesk(desk);
    return ok ? seconds : -1;
}

// Wall seconds of envcheck-read --db DATABASE FILES..., or -1.
double DbSeconds(const std::string& reader, const std::string& database, const std::vector<std::string>& files)
{
    std::vector<const char*> args{reader.c_str(), "--db", database.c_str()};
    for (const std::string& file : files) args.push_back(file.c_str());
    args.push_back(nullptr);
    const Clock::time_point start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(open("/dev/null", O_WRONLY), STDOUT_FILENO);
        execv(reader.c_str(), const_cast<char* const*>(args.data()));
        _exit(127);
    }
    int status = 0;
    const bool ok = pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) <= 1;
    return ok ? Since(start) : -1;
}

const char* Verdict(bool ok) { return ok ? "ok" : "MISSED"; }

std::string Thousands(size_t n)
{
    std::string text = std::to_string(n);
    for (size_t at = text.size(); at > 3; at -= 3) text.insert(at - 3, ",");
    return text;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 4 && std::string(argv[1]) == "--database") {
        const std::vector<std::string> samples = Samples(argc > 4 ? argv[4] : ENVCHECK_READER_SAMPLES);
        return !samples.empty() && AddCopies(argv[2], samples, 0, std::strtoul(argv[3], nullptr, 10)) ? 0 : 2;
    }
    if (argc < 2) return std::fprintf(stderr, "usage: envcheck_desk_bench ENVCHECK_READ [SAMPLES_FOLDER]\n"), 2;
    const std::string reader = fs::absolute(argv[1]).string();
    const char* runsText = std::getenv("RUNS");
    const int runs = std::max(1, runsText != nullptr ? std::atoi(runsText) : 3);
    const std::vector<std::string> samples = Samples(argc > 2 ? fs::path(argv[2]) : fs::path(ENVCHECK_READER_SAMPLES));
    std::string pattern = (fs::temp_directory_path() / "envcheck-desk-bench-XXXXXX").string();
    if (mkdtemp(&pattern[0]) == nullptr) return std::perror("bench: temporary folder"), 2;
    const fs::path folder = pattern;
    const std::string small = (folder / "small.db").string(), large = (folder / "large.db").string();
    const std::string log = (folder / "desk.log").string();
    const Clock::time_point begun = Clock::now();
    bool failed = samples.empty() || Copy(samples, 0).empty();
    // The large database is the small one and 90,000 more.
    Clock::time_point start = Clock::now();
    failed = failed || !AddCopies(small, samples, 0, SmallCopies);
    const double smallSeconds = Since(start);
    std::error_code error;
    failed = failed || !fs::copy_file(small, large, error);
    start = Clock::now();
    failed = failed || !AddCopies(large, samples, SmallCopies, Copies);
    const double largeSeconds = smallSeconds + Since(start);
    TPages pages[2];
    failed = failed || !MeasurePages(reader, small, log, pages[0]) || !MeasurePages(reader, large, log, pages[1]);
    // New reports, of machines the databases do not have.
    std::vector<std::string> files;
    for (size_t n = Copies; !failed && n < Copies + Uploads; ++n) {
        files.push_back((folder / CopyName(n)).string());
        WriteAll(files.back(), Copy(samples, n));
    }
    std::vector<double> desk, db;
    const std::string uploaded = (folder / "upload.db").string(), imported = (folder / "db.db").string();
    for (int run = 0; run < runs && !failed; ++run) {
        for (const char* end : {"", "-wal", "-shm"}) fs::remove(uploaded + end), fs::remove(imported + end);
        desk.push_back(UploadSeconds(reader, uploaded, log, files));
        db.push_back(DbSeconds(reader, imported, files));
        const char* count = "SELECT id FROM reports";
        failed = desk.back() < 0 || db.back() < 0 || Count(uploaded, count) != long(Uploads) || Count(imported, count) != long(Uploads);
    }
    if (failed) {
        std::fprintf(stderr, "bench: the run failed; the desk's log:\n%s", ReadAll(log).c_str());
        fs::remove_all(folder, error);
        return 2;
    }
    fs::remove_all(folder, error);
    bool ok = true;
    std::printf("envcheck-read desk bench: %s and %s reports, of %s and %s machines, dated over %zu months\n",
                Thousands(SmallCopies).c_str(), Thousands(Copies).c_str(), Thousands(pages[0].Machines).c_str(),
                Thousands(pages[1].Machines).c_str(), Months);
    std::printf("  %-44s %9.1f s   %.0f reports/s (10,000 of them in %.1f s)\n", "database: LoadBytes + TDatabase, 1,000 a commit",
                largeSeconds, Copies / largeSeconds, smallSeconds);
    std::printf("  %-44s %9s %11s\n", "time to first byte, median of 20", "10,000", "100,000");
    for (size_t page = 0; page < PageCount; ++page) {
        const double goal = page == PageCount - 1 ? SurveyGoal : PageGoal;
        ok = ok && pages[1].FirstByte[page] < goal;
        std::printf("  %-44s %7.1f ms %8.1f ms  (goal < %.0f ms) %s\n", Pages[page].first, pages[0].FirstByte[page] * 1e3,
                    pages[1].FirstByte[page] * 1e3, goal * 1e3, Verdict(pages[1].FirstByte[page] < goal));
    }
    std::printf("  %zu clients at once, %zu requests each:\n", Clients, Requests);
    std::printf("  %-44s %7.1f ms %8.1f ms\n", "  time to first byte, median", pages[0].Median * 1e3, pages[1].Median * 1e3);
    std::printf("  %-44s %7.1f ms %8.1f ms\n", "  time to first byte, 95th percentile", pages[0].P95 * 1e3, pages[1].P95 * 1e3);
    std::printf("  %-44s %7.0f    %8.0f\n", "  requests/s", pages[0].PerSecond, pages[1].PerSecond);
    const double growth = pages[1].PeakMiB / pages[0].PeakMiB, ratio = Quantile(desk) / Quantile(db);
    ok = ok && growth <= MemoryGoal && ratio <= UploadGoal;
    std::printf("  %-44s %7.1f MiB %7.1f MiB  %.2fx (goal <= %.1fx) %s\n", "peak memory of the desk (VmHWM)", pages[0].PeakMiB,
                pages[1].PeakMiB, growth, MemoryGoal, Verdict(growth <= MemoryGoal));
    std::printf("  %s new reports into a new database, median of %d runs:\n", Thousands(Uploads).c_str(), runs);
    std::printf("  %-44s %9.0f reports/s\n", "  desk: POST /api/upload, 50 files a request", Uploads / Quantile(desk));
    std::printf("  %-44s %9.0f reports/s  the desk takes %.2fx (goal <= %.1fx) %s\n", "  envcheck-read --db FILES (the process)",
                Uploads / Quantile(db), ratio, UploadGoal, Verdict(ratio <= UploadGoal));
    std::printf("  %-44s %9.0f s\n", "the whole bench", Since(begun));
    return ok ? 0 : 1;
}
