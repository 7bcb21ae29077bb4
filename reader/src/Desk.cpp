#include "Desk.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <httplib.h>

#include <kainjow/mustache.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <mutex>
#include <thread>

#include "Cp932.h"
#include "Database.h"
#include "DeskData.h"
#include "Import.h"
#include "Load.h"
#include "Output.h"
#include "Parser.h"
#include "Sha256.h"
#include "Text.h"
#include "Zip.h"

// The pages' templates, stylesheet and script, and Chart.js, built into the program.
#define DESK_ASSET(name) extern "C" const char desk_##name[], desk_##name##_end[];
DESK_ASSET(layout)
DESK_ASSET(inbox)
DESK_ASSET(added)
DESK_ASSET(report)
DESK_ASSET(machine)
DESK_ASSET(survey)
DESK_ASSET(message)
DESK_ASSET(login)
DESK_ASSET(css)
DESK_ASSET(js)
DESK_ASSET(chart)
#define ASSET(name) std::string(desk_##name, desk_##name##_end)

namespace reader {

namespace {

using desk::json;
using httplib::Request;
using httplib::Response;

// An upload's limits: a report is never larger than the reader reads, and a
// request never carries or expands to more than this much in all.
constexpr size_t MaxRequestBytes = size_t(256) << 20;
constexpr size_t MaxFilesPerRequest = 1000;
const char CookieName[] = "envcheck_desk";
const char NotFromDesk[] = "The request did not come from the desk's own page (its form token is missing or wrong).";

kainjow::mustache::data DataOf(const json& value)
{
    using kainjow::mustache::data;
    switch (value.type()) {
    case json::value_t::object: {
        data object{data::type::object};
        for (const auto& [key, item] : value.items()) object.set(key, DataOf(item));
        return object;
    }
    case json::value_t::array: {
        data list{data::type::list};
        for (const json& item : value) list.push_back(DataOf(item));
        return list;
    }
    case json::value_t::string: return data{value.get<std::string>()};
    case json::value_t::boolean: return data{value.get<bool>() ? data::type::bool_true : data::type::bool_false};
    case json::value_t::null: return data{data::type::bool_false};
    default: return data{value.dump()};
    }
}

std::string Render(const std::string& text, const json& values)
{
    kainjow::mustache::mustache templ{text};
    return templ.render(DataOf(values));
}

// Constant time whatever the two are: their digests are compared whole.
bool SameSecret(const std::string& a, const std::string& b)
{
    const std::string x = Sha256Hex(a), y = Sha256Hex(b);
    unsigned char difference = 0;
    for (size_t n = 0; n < x.size(); ++n) difference |= static_cast<unsigned char>(x[n] ^ y[n]);
    return difference == 0 && !b.empty();
}

std::string RandomHex(size_t bytes)
{
    std::string raw(bytes, '\0');
    std::ifstream random("/dev/urandom", std::ios::binary);
    random.read(&raw[0], static_cast<std::streamsize>(bytes));
    return random ? HexOf(raw) : "";
}

// An address of this machine alone: 127.0.0.0/8, ::1 or the name localhost, read
// as an address (127.evil.example is a name anyone can point anywhere).
bool IsLoopback(const std::string& host)
{
    if (host == "localhost") return true;
    in_addr v4{};
    in6_addr v6{};
    if (inet_pton(AF_INET, host.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
    return inet_pton(AF_INET6, host.c_str(), &v6) == 1 && IN6_IS_ADDR_LOOPBACK(&v6);
}

// "host:port" or "[v6]:port".
bool SplitListen(const std::string& text, std::string& host, int& port)
{
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon + 1 == text.size() || colon + 6 < text.size()) return false;
    host = text.substr(0, colon);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    const std::string digits = text.substr(colon + 1);
    if (host.empty() || !AllDigits(digits, 5)) return false;
    port = std::stoi(digits);
    return port <= 65535;
}

// The desk's reading side: a connection of its own on each server thread, read-only.
class TReader {
public:
    explicit TReader(const std::string& path)
    {
        if (sqlite3_open_v2(path.c_str(), &Db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
            sqlite3_close(Db);
            Db = nullptr;
            return;
        }
        sqlite3_busy_timeout(Db, 5000);
    }
    ~TReader() { sqlite3_close(Db); }
    TReader(const TReader&) = delete;
    TReader& operator=(const TReader&) = delete;
    sqlite3* Db = nullptr;
};

// A counting semaphore: at most so many holders at once; so many more may wait,
// each for a while.
class TSlots {
public:
    TSlots(int count, int waiting) : Free(count), Room(waiting) {}
    bool Take()
    {
        std::unique_lock<std::mutex> lock(Guard);
        if (Free == 0 && Waiting == Room) return false;
        ++Waiting;
        const bool got = Freed.wait_for(lock, std::chrono::seconds(30), [this] { return Free > 0; });
        --Waiting;
        Free -= got ? 1 : 0;
        return got;
    }
    void Give()
    {
        {
            std::lock_guard<std::mutex> lock(Guard);
            ++Free;
        }
        Freed.notify_one();
    }

private:
    std::mutex Guard;
    std::condition_variable Freed;
    int Free, Room, Waiting = 0;
};

class TSlot {
public:
    explicit TSlot(TSlots& slots) : Slots(slots), Got(slots.Take()) {}
    ~TSlot()
    {
        if (Got) Slots.Give();
    }
    TSlot(const TSlot&) = delete;
    TSlot& operator=(const TSlot&) = delete;
    bool Held() const { return Got; }

private:
    TSlots& Slots;
    bool Got;
};

// Where one file (or one report of it) went: its row (New, or the copy already there), or Id -1.
struct TUploadResult {
    std::string Name, Result;
    long long Id = -1;
    bool New = false, Limit = false;
};

class TDesk {
public:
    TDesk(const DeskOptions& options, const std::string& token)
        : Options(options), Token(token), Csrf(RandomHex(32)), Writer(options.Database)
    {
    }

    bool Open(std::string& why)
    {
        if (!Writer.IsOpen()) {
            why = Writer.Error();
            return false;
        }
        if (Csrf.empty()) {
            why = "no random numbers (/dev/urandom)";
            return false;
        }
        Routes();
        return true;
    }

    httplib::Server Server;

    void Expire()
    {
        if (Options.KeepDays <= 0) return;
        std::lock_guard<std::mutex> lock(Writing);
        const long long rows = Writer.Expire(static_cast<int>(std::min(Options.KeepDays, 100000LL)));
        if (rows != 0)
            std::cerr << "envcheck-read: desk: deleted " << rows << " rows of reports stored over " << Options.KeepDays
                      << " days ago\n";
    }

private:
    const DeskOptions Options;
    const std::string Token, Csrf;
    TDatabase Writer;
    std::mutex Writing;  // one writer; readers have connections of their own
    TSlots Uploads{2, 2};  // each may hold a request's worth of bytes; the server has 8 threads

    sqlite3* Reading()
    {
        thread_local std::unique_ptr<TReader> reader;
        if (reader == nullptr || reader->Db == nullptr) reader = std::make_unique<TReader>(Options.Database);
        if (reader->Db == nullptr) throw std::runtime_error("the database cannot be opened for reading");
        return reader->Db;
    }

    std::string Page(const std::string& title, const std::string& templ, json values)
    {
        values["csrf"] = Csrf;
        // Chart.js only where there are charts.
        const bool charts = values.value("charts", false);
        return Render(ASSET(layout), {{"title", title}, {"csrf", Csrf}, {"charts", charts}, {"body", Render(templ, values)}});
    }

    void Html(Response& res, const std::string& title, const std::string& templ, const json& values, int status = 200)
    {
        res.status = status;
        res.set_content(Page(title, templ, values), "text/html; charset=utf-8");
    }

    void Message(Response& res, int status, const std::string& heading, const std::string& message, const std::string& back = "/")
    {
        Html(res, heading, ASSET(message), {{"heading", heading}, {"message", message}, {"back", back}}, status);
    }

    static bool WantsJson(const Request& req) { return req.path.compare(0, 5, "/api/") == 0; }
    static bool IsUpload(const Request& req) { return req.path == "/upload" || req.path == "/api/upload"; }

    // An answer in the form asked for: the API's as JSON, a page's as a page.
    void Refuse(const Request& req, Response& res, int status, const std::string& heading, const std::string& message)
    {
        if (WantsJson(req)) {
            res.status = status;
            res.set_content(JsonText({{"error", message}}), "application/json");
            return;
        }
        Message(res, status, heading, message);
    }

    std::string Presented(const Request& req) const
    {
        const std::string bearer = req.get_header_value("Authorization");
        if (bearer.compare(0, 7, "Bearer ") == 0) return bearer.substr(7);
        const std::string cookies = req.get_header_value("Cookie");
        const std::string key = std::string(CookieName) + "=";
        for (size_t at = 0; at < cookies.size();) {
            const size_t end = std::min(cookies.find(';', at), cookies.size());
            std::string cookie = cookies.substr(at, end - at);
            cookie.erase(0, cookie.find_first_not_of(' '));
            if (cookie.compare(0, key.size(), key) == 0) return cookie.substr(key.size());
            at = end + 1;
        }
        return "";
    }

    bool Authorized(const Request& req) const { return Token.empty() || SameSecret(Token, Presented(req)); }
    // Whom the desk's pages (which carry its form token) may go to.
    bool Trusted(const Request& req) const { return Authorized(req) && HostAllowed(req); }

    // Without a token the desk is loopback's alone: a page of another name
    // (DNS rebinding) must not reach it through the agent's browser.
    bool HostAllowed(const Request& req) const
    {
        if (!Token.empty()) return true;
        std::string host = req.get_header_value("Host");
        if (host.empty()) return false;
        if (host.front() == '[') {
            const size_t close = host.find(']');
            host = close == std::string::npos ? "" : host.substr(1, close - 1);
        } else {
            host = host.substr(0, host.find(':'));
        }
        return IsLoopback(host);
    }

    // A change comes from the desk's own pages: a form's or the script's token, and no
    // other origin. The origin's host and port are the page's, behind a TLS proxy too.
    bool FromDesk(const Request& req, const std::string& field) const
    {
        const std::string origin = req.get_header_value("Origin");
        const size_t scheme = origin.find("://");
        if (req.has_header("Origin") && (scheme == std::string::npos || origin.substr(scheme + 3) != req.get_header_value("Host")))
            return false;
        const std::string header = req.get_header_value("X-CSRF-Token");
        return SameSecret(Csrf, header.empty() ? field : header);
    }

    std::string LoginPage(const std::string& message) const
    {
        return Render(ASSET(login), {{"message", message}});
    }

    void Routes();
    void Upload(const Request& req, Response& res, const httplib::ContentReader& content);
    void Store(const std::string& name, const std::string& bytes, std::vector<TUploadResult>& results);
    void Delete(const Request& req, Response& res, bool machine);
};

long long Number(const std::string& text, long long otherwise = -1) { return AllDigits(text) ? std::stoll(text) : otherwise; }

// The base name an uploading browser gave, with nothing of a path.
std::string BaseName(const std::string& name)
{
    const size_t slash = name.find_last_of("/\\");
    std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
    return base.empty() ? "report.txt" : base.substr(0, 255);
}

void TDesk::Store(const std::string& name, const std::string& bytes, std::vector<TUploadResult>& results)
{
    // Read outside the writer's turn: agents' uploads are parsed side by side.
    const std::vector<Loaded> all = LoadAll(name, bytes);
    ImportCounts counts;
    std::vector<Stored> stored;
    bool ok;
    std::string error;
    {
        std::lock_guard<std::mutex> lock(Writing);
        ok = ImportFile(Writer, all, counts, &stored);
        if (!ok) error = Writer.Error();
    }
    if (!ok) {
        results.push_back({name, "not stored: " + error, -1, false, false});
        return;
    }
    for (size_t n = 0; n < stored.size(); ++n) {
        TUploadResult result{name, "", stored[n].Id, stored[n].New, false};
        if (all.size() > 1) result.Name += " (report " + std::to_string(n + 1) + " of " + std::to_string(all.size()) + ")";
        if (stored[n].State == Status::Unreadable) {
            const auto& problems = all[n].Model.Problems;
            result.Result = "unreadable" + (problems.empty() ? "" : ": " + Utf8(problems.front().Message));
        } else {
            result.Result = stored[n].New ? (stored[n].State == Status::Partial ? "added (read in part)" : "added")
                                          : "already there";
        }
        results.push_back(result);
    }
}

void TDesk::Upload(const Request& req, Response& res, const httplib::ContentReader& content)
{
    if (!req.is_multipart_form_data()) return Refuse(req, res, 400, "Not an upload", "Reports are sent as a form's files.");
    // A length past the limit is refused before the body is read.
    const long long length = Number(req.get_header_value("Content-Length"), -1);
    if (length < 0) return Refuse(req, res, 411, "No length", "An upload is sent with its length.");
    if (length > static_cast<long long>(MaxRequestBytes)) {
        res.status = 413;
        return;  // the error handler says why
    }
    // A foreign page's post is refused before it takes a turn (its Origin says so); a
    // form's token may come in the body, so only a wrong header refuses here.
    bool fromDesk = FromDesk(req, "");
    if (!fromDesk && (req.has_header("X-CSRF-Token") || !FromDesk(req, Csrf)))
        return Refuse(req, res, 403, "Refused", NotFromDesk);
    // So many uploads are read at once, so memory stays bounded; a few more wait their
    // turn for a while, and beyond them the desk says it is busy rather than hold its threads.
    TSlot slot(Uploads);
    if (!slot.Held()) {
        res.set_header("Retry-After", "30");
        return Refuse(req, res, 503, "Busy", "The desk is adding other agents' reports: send these again in a minute.");
    }
    std::vector<TUploadResult> results;
    std::string csrf, field, name, bytes;
    bool refused = false, tooLarge = false;
    size_t files = 0, budget = MaxRequestBytes;
    auto finish = [&] {
        if (field == "csrf" && !fromDesk) fromDesk = FromDesk(req, csrf);
        if (field != "reports" || name.empty()) return;
        if (!fromDesk) {
            refused = true;
            return;
        }
        if (tooLarge) {
            results.push_back({name, "larger than " + std::to_string(MaxReportBytes >> 20) + " MiB, the most a report can be: not read", -1,
                               false, true});
        } else if (IsZip(bytes)) {
            --files;  // its reports count, not the zip
            std::string error;
            bool limited = false;
            const size_t before = results.size();
            ReadZip(bytes, MaxReportBytes, budget, MaxFilesPerRequest - files, error, limited, [&](ZipEntry& entry) {
                ++files;
                if (entry.Error.empty())
                    Store(name + ": " + entry.Name, entry.Bytes, results);
                else
                    results.push_back({name + ": " + entry.Name, entry.Error, -1, false, entry.Limit});
            });
            if (!error.empty())
                results.push_back({name, error, -1, false, limited});
            else if (results.size() == before)
                results.push_back({name, "no reports (*.txt files) in it", -1, false, false});
        } else {
            Store(name, bytes, results);
        }
        bytes.clear();
    };
    const bool whole = content(
        [&](const httplib::MultipartFormData& part) {
            finish();
            field = part.name;
            name = part.filename.empty() ? "" : BaseName(part.filename);
            csrf.clear();
            tooLarge = false;
            if (field == "reports" && !name.empty() && ++files > MaxFilesPerRequest) {
                if (files == MaxFilesPerRequest + 1)
                    results.push_back({name, "more than " + std::to_string(MaxFilesPerRequest) +
                                                 " files in one request: this one and the rest were not read",
                                       -1, false, true});
                field.clear();
            }
            return true;
        },
        [&](const char* data, size_t size) {
            if (field == "csrf") {
                if (csrf.size() < 256) csrf.append(data, std::min(size, 256 - csrf.size()));
            } else if (field == "reports" && fromDesk && !tooLarge) {
                // A zip may hold many reports; what it expands to has the request's budget.
                if (bytes.size() + size > MaxReportBytes && !IsZip(bytes)) {
                    tooLarge = true;
                    bytes.clear();
                } else {
                    bytes.append(data, size);
                }
            }
            return true;
        });
    // A part is whole only once the next one (or the form's end) has begun: a cut
    // upload's last file is never stored as a report cut short.
    if (!whole) {
        std::cerr << "envcheck-read: desk: an upload was cut off; its last file was not stored\n";
        return Refuse(req, res, 400, "Cut off", "The upload was cut off: its last file was not stored.");
    }
    finish();
    if (refused) return Refuse(req, res, 403, "Refused", NotFromDesk);
    if (files == 0 && results.empty()) return Refuse(req, res, 400, "Nothing to add", "Choose one or more reports (or a .zip of them) to add.");
    size_t added = 0, known = 0, failed = 0;
    bool limit = false;
    for (const TUploadResult& r : results) {
        if (r.Id >= 0) ++(r.New ? added : known);
        else ++failed;
        limit = limit || r.Limit;
    }
    const std::string summary = "Added " + std::to_string(added) + ", already there " + std::to_string(known) +
                                ", not added " + std::to_string(failed) + ".";
    std::cerr << "envcheck-read: desk: " << summary << "\n";
    const int status = added + known > 0 ? 200 : limit ? 413 : 422;
    json list = json::array();
    for (const TUploadResult& r : results)
        list.push_back({{"name", r.Name}, {"result", r.Result}, {"id", r.Id >= 0 ? json(r.Id) : json(nullptr)}});
    if (WantsJson(req)) {
        res.status = status;
        json answer = {{"summary", summary}, {"files", list}};
        if (status != 200) answer["error"] = summary;
        res.set_content(JsonText(answer), "application/json");
        return;
    }
    Html(res, "Added", ASSET(added), {{"summary", summary}, {"files", list}}, status);
}

void TDesk::Delete(const Request& req, Response& res, bool machine)
{
    if (!FromDesk(req, req.get_param_value("csrf")))
        return Refuse(req, res, 403, "Refused", NotFromDesk);
    long long rows;
    std::string what, error;
    {
        std::lock_guard<std::mutex> lock(Writing);
        if (machine) {
            std::string computer, user;
            if (!desk::MachineOfKey(req.matches[1], computer, user)) return Refuse(req, res, 404, "Not found", "There is no such machine.");
            rows = Writer.DeleteMachine(computer, user);
            what = "a machine's reports";
        } else {
            rows = Writer.Delete(Number(req.matches[1]));
            what = "report " + std::string(req.matches[1]);
        }
        error = Writer.Error();
    }
    if (rows < 0) return Refuse(req, res, 500, "Not deleted", "The database refused: " + error);
    if (rows == 0) return Refuse(req, res, 404, "Not found", "There is nothing of that to delete.");
    // The log says what was erased, never whose it was.
    std::cerr << "envcheck-read: desk: deleted " << what << " (" << rows << " rows) at a player's request\n";
    if (WantsJson(req) || req.method == "DELETE") {
        res.set_content(JsonText({{"deleted_rows", rows}}), "application/json");
        return;
    }
    Message(res, 200, "Deleted", "Deleted, with every row stored of it (" + std::to_string(rows) + " rows). The survey's monthly counts, which name no one, stay.");
}

void TDesk::Routes()
{
    Server.set_payload_max_length(MaxRequestBytes);
    Server.set_default_headers({
        {"Content-Security-Policy",
         "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self'; connect-src 'self'; "
         "form-action 'self'; base-uri 'none'; frame-ancestors 'none'"},
        {"X-Content-Type-Options", "nosniff"},
        // A page of the desk names itself to the desk alone; with no-referrer a browser
        // would send its forms with Origin: null, which the desk refuses as it may be anyone.
        {"Referrer-Policy", "same-origin"},
        {"X-Frame-Options", "DENY"},
        {"Cache-Control", "no-store"},
    });
    Server.set_pre_routing_handler([this](const Request& req, Response& res) {
        if (!HostAllowed(req)) {
            res.status = 421;
            res.set_content("This desk answers only to its loopback address.\n", "text/plain; charset=utf-8");
            return httplib::Server::HandlerResponse::Handled;
        }
        // Before any body is read, for everyone: what it would take in memory is its length,
        // never more. No compressed or length-less bodies, and one answer is never many copies.
        const char* refusal = nullptr;
        if (req.has_header("Content-Encoding"))
            res.status = 415, refusal = "A request's body is sent as it is, not compressed.";
        else if (req.has_header("Transfer-Encoding"))
            res.status = 411, refusal = "A request's body is sent with its length.";
        else if (req.has_header("Range"))
            res.status = 416, refusal = "The desk sends whole answers only.";
        else if (req.has_header("Content-Length") && !AllDigits(req.get_header_value("Content-Length")))
            res.status = 400, refusal = "A length is a number.";
        else if (!IsUpload(req) && Number(req.get_header_value("Content-Length"), 0) > 65536)
            res.status = 413, refusal = "Only uploads carry more than a form's few fields.";
        if (refusal != nullptr) {
            res.set_content(std::string(refusal) + "\n", "text/plain; charset=utf-8");
            return httplib::Server::HandlerResponse::Handled;
        }
        if (req.path == "/login" || Authorized(req)) return httplib::Server::HandlerResponse::Unhandled;
        res.status = 401;
        if (WantsJson(req))
            res.set_content(JsonText({{"error", "a token is needed: Authorization: Bearer TOKEN"}}), "application/json");
        else
            res.set_content(LoginPage("This desk asks for its token once."), "text/html; charset=utf-8");
        return httplib::Server::HandlerResponse::Handled;
    });
    Server.Post("/login", [this](const Request& req, Response& res) {
        const std::string token = req.get_param_value("token");
        if (Token.empty() || !SameSecret(Token, token)) {
            res.status = 401;
            res.set_content(LoginPage(Token.empty() ? "This desk has no token." : "That is not this desk's token."),
                            "text/html; charset=utf-8");
            return;
        }
        res.set_header("Set-Cookie", std::string(CookieName) + "=" + Token + "; HttpOnly; SameSite=Strict; Path=/");
        res.set_redirect("/", 303);
    });
    Server.Get("/login", [this](const Request&, Response& res) {
        res.set_content(LoginPage("This desk asks for its token once."), "text/html; charset=utf-8");
    });
    Server.Get("/favicon.ico", [](const Request&, Response& res) { res.status = 204; });
    // What is built into the program changes only with it: a browser keeps it for a day.
    auto asset = [this](const std::string& path, std::string content, const char* type) {
        Server.Get(path, [content, type](const Request&, Response& res) {
            res.headers.erase("Cache-Control");
            res.set_header("Cache-Control", "max-age=86400");
            res.set_content(content, type);
        });
    };
    asset("/static/desk.css", ASSET(css), "text/css");
    asset("/static/desk.js", ASSET(js), "text/javascript");
    asset("/static/chart.min.js", ASSET(chart), "text/javascript");

    auto filter = [](const Request& req) {
        desk::Filter f;
        f.Finding = req.get_param_value("finding");
        f.Windows = req.get_param_value("windows");
        f.Vendor = req.get_param_value("vendor");
        f.Status = req.get_param_value("status");
        f.Query = req.get_param_value("q");
        f.Page = Number(req.get_param_value("page"), 1);
        return f;
    };
    Server.Get("/", [this, filter](const Request& req, Response& res) {
        Html(res, "Inbox", ASSET(inbox), desk::Inbox(Reading(), filter(req)));
    });
    Server.Get("/api/reports", [this, filter](const Request& req, Response& res) {
        res.set_content(JsonText(desk::Inbox(Reading(), filter(req))), "application/json");
    });
    Server.Get(R"(/reports/(\d+))", [this](const Request& req, Response& res) {
        json page;
        if (!desk::ReportPage(Reading(), Number(req.matches[1]), page))
            return Message(res, 404, "Not found", "There is no report " + std::string(req.matches[1]) + ".");
        Html(res, page["computer"].get<std::string>() + " " + page["date"].get<std::string>(), ASSET(report), page);
    });
    Server.Get(R"(/reports/(\d+)/text)", [this](const Request& req, Response& res) {
        std::string text, file;
        if (!desk::StoredText(Reading(), Number(req.matches[1]), text, file) || text.empty())
            return Message(res, 404, "Not found", "The text of report " + std::string(req.matches[1]) + " is not stored.");
        res.set_header("Content-Disposition", "attachment; filename=\"report-" + std::string(req.matches[1]) + ".txt\"");
        res.set_content(text, "text/plain; charset=Shift_JIS");
    });
    Server.Get(R"(/api/reports/(\d+))", [this](const Request& req, Response& res) {
        std::string line;
        if (!desk::ReportJson(Reading(), Number(req.matches[1]), line))
            return Refuse(req, res, 404, "Not found", "there is no report " + std::string(req.matches[1]) + " with its text stored");
        res.set_content(line, "application/json");
    });
    Server.Get(R"(/machines/([0-9a-f]+))", [this](const Request& req, Response& res) {
        json page;
        const long long older = Number(req.get_param_value("a")), newer = Number(req.get_param_value("b"));
        if (!desk::MachinePage(Reading(), req.matches[1], older, newer, page))
            return Message(res, 404, "Not found", "There is no report of such a machine.");
        Html(res, page["computer"].get<std::string>(), ASSET(machine), page);
    });
    Server.Get("/survey", [this](const Request& req, Response& res) {
        json page = desk::Survey(Reading(), req.get_param_value("from"), req.get_param_value("to"));
        page["charts"] = true;
        Html(res, "Survey", ASSET(survey), page);
    });
    Server.Get("/api/survey", [this](const Request& req, Response& res) {
        res.set_content(JsonText(desk::Survey(Reading(), req.get_param_value("from"), req.get_param_value("to"))), "application/json");
    });
    Server.Get("/survey.csv", [this](const Request& req, Response& res) {
        std::string csv;
        if (!desk::SurveyCsv(Reading(), req.get_param_value("dimension"), req.get_param_value("from"), req.get_param_value("to"), csv))
            return Message(res, 404, "Not found", "The survey has no such chart.", "/survey");
        res.set_header("Content-Disposition", "attachment; filename=\"survey.csv\"");
        res.set_content(csv, "text/csv; charset=utf-8");
    });
    auto upload = [this](const Request& req, Response& res, const httplib::ContentReader& content) { Upload(req, res, content); };
    Server.Post("/upload", upload);
    Server.Post("/api/upload", upload);
    Server.Post(R"(/reports/(\d+)/delete)", [this](const Request& req, Response& res) { Delete(req, res, false); });
    Server.Delete(R"(/reports/(\d+))", [this](const Request& req, Response& res) { Delete(req, res, false); });
    Server.Delete(R"(/api/reports/(\d+))", [this](const Request& req, Response& res) { Delete(req, res, false); });
    Server.Post(R"(/machines/([0-9a-f]+)/delete)", [this](const Request& req, Response& res) { Delete(req, res, true); });
    Server.Delete(R"(/machines/([0-9a-f]+))", [this](const Request& req, Response& res) { Delete(req, res, true); });

    Server.set_error_handler([this](const Request& req, Response& res) {
        if (!res.body.empty()) return;
        // Without the token, a plain line: no page, so nothing of the desk's (its form token) either.
        if (!Trusted(req))
            return res.set_content("HTTP " + std::to_string(res.status) + "\n", "text/plain; charset=utf-8");
        switch (res.status) {
        case 413:
            return Refuse(req, res, 413, "Too large", "The request is larger than " + std::to_string(MaxRequestBytes >> 20) +
                                                          " MiB, the most one may carry: send fewer files at once.");
        case 404: return Refuse(req, res, 404, "Not found", "There is no such page.");
        case 405: return Refuse(req, res, 405, "Not allowed", "That page does not take this kind of request.");
        default: return Refuse(req, res, res.status, "Not answered", "The request could not be answered (HTTP " + std::to_string(res.status) + ").");
        }
    });
    Server.set_exception_handler([this](const Request& req, Response& res, std::exception_ptr error) {
        std::string what = "unknown";
        try {
            if (error) std::rethrow_exception(error);
        } catch (const std::exception& e) {
            what = e.what();
        } catch (...) {
        }
        std::cerr << "envcheck-read: desk: " << req.method << " failed: " << what << "\n";
        if (!Trusted(req)) {
            res.status = 500;
            return res.set_content("HTTP 500\n", "text/plain; charset=utf-8");
        }
        Refuse(req, res, 500, "Failed", "The desk failed on this request: " + what + ". What was stored before it stays stored.");
    });
}

// The token a desk off loopback asks for: the file's, or a new one.
bool TokenOf(const DeskOptions& options, bool loopback, std::string& token, std::string& why)
{
    if (options.TokenFile.empty()) {
        if (loopback) return true;
        token = RandomHex(32);
        std::cout << "envcheck-read: the desk's token (give it to the team; each browser asks for it once): " << token << "\n";
        return !token.empty() || (why = "no random numbers (/dev/urandom)", false);
    }
    std::ifstream file(options.TokenFile, std::ios::binary);
    if (file) {
        std::getline(file, token);
        while (!token.empty() && (token.back() == '\r' || token.back() == ' ' || token.back() == '\t')) token.pop_back();
        if (token.size() < 16) {
            why = "the token in " + FileName(options.TokenFile) + " is shorter than 16 characters";
            return false;
        }
        return true;
    }
    token = RandomHex(32);
    const int fd = open(options.TokenFile.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    const std::string line = token + "\n";
    if (token.empty() || fd < 0 || write(fd, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
        if (fd >= 0) close(fd);
        why = "cannot write a new token to " + FileName(options.TokenFile);
        return false;
    }
    close(fd);
    std::cout << "envcheck-read: a new token is in " << FileName(options.TokenFile) << "\n";
    return true;
}

}  // namespace

int Serve(const DeskOptions& options)
{
    std::string host, why, token;
    int port = 0;
    if (!SplitListen(options.Listen, host, port)) {
        std::cerr << "envcheck-read: --listen takes host:port (127.0.0.1:8080, [::1]:8080), not '" << options.Listen << "'\n";
        return 2;
    }
    if (!TokenOf(options, IsLoopback(host), token, why)) {
        std::cerr << "envcheck-read: " << why << "\n";
        return 2;
    }
    // SIGINT and SIGTERM end the desk through one thread that waits for them; every other thread leaves them be.
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stops, nullptr);
    TDesk desk(options, token);
    if (!desk.Open(why)) {
        std::cerr << FileName(options.Database) << ": " << why << "\n";
        return 2;
    }
    desk.Expire();
    const int bound = port == 0 ? desk.Server.bind_to_any_port(host) : (desk.Server.bind_to_port(host, port) ? port : -1);
    if (bound < 0) {
        std::cerr << "envcheck-read: cannot listen on " << options.Listen << " (in use, or not this machine's address)\n";
        return 2;
    }
    const std::string shown = host.find(':') != std::string::npos ? "[" + host + "]" : host;
    std::cout << "envcheck-read: the desk is at http://" << shown << ":" << bound << "/" << std::endl;
    std::mutex stopping;
    std::condition_variable stopped;
    bool done = false;
    // A signal may come before the server runs, when stopping it would do nothing:
    // it is stopped once it runs.
    std::atomic<bool> ended{false};
    std::thread signals([&] {
        int signal = 0;
        sigwait(&stops, &signal);
        while (!ended && !desk.Server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!ended) desk.Server.stop();
    });
    // Old reports go once a day as well as at the start.
    std::thread daily([&] {
        std::unique_lock<std::mutex> lock(stopping);
        while (!stopped.wait_for(lock, std::chrono::hours(24), [&] { return done; })) desk.Expire();
    });
    const bool listened = desk.Server.listen_after_bind();
    ended = true;
    {
        std::lock_guard<std::mutex> lock(stopping);
        done = true;
    }
    stopped.notify_all();
    daily.join();
    // The signal thread may wait still (the server ended by itself): one more
    // signal ends it, or stays pending, blocked everywhere, if it has gone.
    kill(getpid(), SIGTERM);
    signals.join();
    return listened ? 0 : 2;
}

}  // namespace reader
