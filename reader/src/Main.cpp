// envcheck-read: reads envcheck's reports back for the support team.
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>
#include <cwchar>
#endif

#include "Load.h"
#include "Output.h"
#include "Render.h"
#include "Text.h"
#ifdef ENVCHECK_READER_DATABASE
#include "Database.h"
#include "Import.h"
#endif
#ifdef ENVCHECK_READER_DESK
#include "Desk.h"
#endif

using namespace reader;
namespace fs = std::filesystem;

namespace {

const char Usage[] =
    "usage: envcheck-read FILE...                      one summary per report\n"
    "       envcheck-read --json FILE...               one JSON object per report (JSON Lines)\n"
    "       envcheck-read --db DATABASE DIR|FILE...    add every report (*.txt in folders) to a SQLite database\n"
    "       envcheck-read --diff OLD NEW               what changed between two reports of one player\n"
    "       envcheck-read --render FILE                the file as read, written back (cp932): nothing lost\n"
    "       envcheck-read --serve DATABASE [--listen HOST:PORT] [--token-file FILE] [--keep-days N]\n"
    "                                                  the support desk: the database as web pages\n"
    "exit status: 0 every report read, 1 some read in part, 2 some unreadable or bad usage\n";

int BadUsage(const char* why)
{
    std::cerr << "envcheck-read: " << why << "\n" << Usage;
    return 2;
}

// Every report in the file. Problems go to standard error where the output
// does not show them itself, so that each is said once.
std::vector<Loaded> Read(const std::string& path, Status& worst, bool problems = true)
{
    std::vector<Loaded> all = LoadFile(path);
    for (const Loaded& loaded : all) {
        if (problems) WriteProblems(std::cerr, loaded);
        worst = Worse(worst, loaded.Model.State);
    }
    return all;
}

bool IsText(const fs::path& path)
{
    return LowerAscii(path.extension().u8string()) == ".txt";
}

// What a folder walk could not read, said once each and counted.
struct TWalk {
    fs::path Root;  // the folder named, as the system resolves it
    std::vector<std::string> Found;
    size_t Skipped = 0;
    Status Worst = Status::Read;

    void Skip(const fs::path& path, const std::string& why)
    {
        std::cerr << FileName(path.u8string()) << ": " << why << ": skipped\n";
        ++Skipped;
    }

    bool Inside(const fs::path& target) const
    {
        const fs::path relative = target.lexically_relative(Root);
        return !relative.empty() && *relative.begin() != "..";
    }

    // The *.txt files of a folder and those under it; a folder that cannot be
    // listed is named and the walk goes on. A link is followed only to a file
    // inside the folder named: a report's folder never reads beyond itself.
    void Walk(const fs::path& folder)
    {
        std::error_code error;
        std::vector<fs::directory_entry> entries;
        fs::directory_iterator walk(folder, error), end;
        for (; !error && walk != end; walk.increment(error)) entries.push_back(*walk);
        if (error) {
            Skip(folder, "cannot be listed (" + error.message() + ")");
            Worst = Status::Unreadable;
        }
        for (const fs::directory_entry& entry : entries) {
            const fs::file_status own = entry.symlink_status(error);
            if (fs::is_symlink(own)) {
                if (!IsText(entry.path())) continue;
                const fs::path target = fs::canonical(entry.path(), error);
                if (error)
                    Skip(entry.path(), "a link that leads nowhere");
                else if (!Inside(target))
                    Skip(entry.path(), "a link that leads outside the folder");
                else if (!fs::is_regular_file(target, error))
                    Skip(entry.path(), "a link to what is not a regular file");
                else
                    Found.push_back(entry.path().u8string());
            } else if (fs::is_directory(own)) {
                Walk(entry.path());
            } else if (IsText(entry.path())) {
                if (fs::is_regular_file(own))
                    Found.push_back(entry.path().u8string());
                else
                    Skip(entry.path(), "is not a regular file");
            }
        }
    }
};

// The files named, and the *.txt files under the folders named, in a stable order.
[[maybe_unused]] std::vector<std::string> Expand(const std::vector<std::string>& names, Status& worst, size_t& skipped)
{
    std::vector<std::string> files;
    for (const std::string& name : names) {
        std::error_code error;
        if (!fs::is_directory(fs::u8path(name), error)) {
            files.push_back(name);
            continue;
        }
        TWalk walk;
        walk.Root = fs::canonical(fs::u8path(name), error);
        walk.Walk(fs::u8path(name));
        std::sort(walk.Found.begin(), walk.Found.end());
        files.insert(files.end(), walk.Found.begin(), walk.Found.end());
        skipped += walk.Skipped;
        worst = Worse(worst, walk.Worst);
    }
    return files;
}

// A database kept nowhere would take every report and keep none.
[[maybe_unused]] bool IsKept(const std::string& path)
{
    return !path.empty() && path != ":memory:" && path.compare(0, 5, "file:") != 0;
}

int Database(const std::string& path, const std::vector<std::string>& names)
{
#ifdef ENVCHECK_READER_DATABASE
    if (!IsKept(path)) {
        std::cerr << "envcheck-read: '" << FileName(path) << "' is no file: a database only in memory keeps nothing\n";
        return 2;
    }
    Status worst = Status::Read;
    TDatabase database(path);
    if (!database.IsOpen()) {
        std::cerr << FileName(path) << ": " << database.Error() << "\n";
        return 2;
    }
    ImportCounts stored;
    size_t skipped = 0;
    const std::vector<std::string> files = Expand(names, worst, skipped);
    auto counts = [&] {
        return "added " + std::to_string(stored.Added + stored.Partial) + " (" + std::to_string(stored.Partial) +
               " read in part), already there " + std::to_string(stored.Known) + ", unreadable " +
               std::to_string(stored.Unreadable) + ", skipped " + std::to_string(skipped);
    };
    for (size_t n = 0; n < files.size(); ++n) {
        if (ImportFile(database, Read(files[n], worst), stored)) continue;
        // The first error is the cause; nothing after it is tried.
        std::cerr << FileName(files[n]) << ": not stored: " << database.Error() << "\n";
        std::cerr << FileName(path) << ": stopped at the first failure; stored before it: " << counts() << "; "
                  << files.size() - n << " files not stored\n";
        return 2;
    }
    std::cout << counts() << "\n";
    return ExitCodeOf(worst);
#else
    (void)path;
    (void)names;
    std::cerr << "envcheck-read: this build has no SQLite, so --db is not available\n";
    return 2;
#endif
}

int Desk(const std::vector<std::string>& args)
{
#ifdef ENVCHECK_READER_DESK
    if (args.size() < 2 || args[1].compare(0, 2, "--") == 0) return BadUsage("--serve needs a database");
    DeskOptions options;
    options.Database = args[1];
    if (!IsKept(options.Database)) return BadUsage("--serve needs a database kept in a file");
    for (size_t n = 2; n < args.size(); n += 2) {
        if (n + 1 == args.size()) return BadUsage((args[n] + " needs a value").c_str());
        const std::string& value = args[n + 1];
        if (args[n] == "--listen") {
            options.Listen = value;
        } else if (args[n] == "--token-file") {
            options.TokenFile = value;
        } else if (args[n] == "--keep-days") {
            if (!AllDigits(value, 6) || std::stoll(value) == 0) return BadUsage("--keep-days takes a number of days, 1 or more");
            options.KeepDays = std::stoll(value);
        } else {
            return BadUsage(("unknown option " + args[n]).c_str());
        }
    }
    return Serve(options);
#else
    (void)args;
    std::cerr << "envcheck-read: this build has no desk (it needs SQLite, cpp-httplib and libzip)\n";
    return 2;
#endif
}

// The command line as UTF-8: on Windows from its wide form, as the ANSI one
// maps what its code page lacks to another character (Zoë to Zoe, ¥ to \).
std::vector<std::string> Arguments(int argc, char** argv)
{
#ifdef _WIN32
    (void)argc;
    (void)argv;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int n = 1; wide != nullptr && n < count; ++n) {
        const int length = static_cast<int>(std::wcslen(wide[n]));
        const int size = WideCharToMultiByte(CP_UTF8, 0, wide[n], length, nullptr, 0, nullptr, nullptr);
        std::string arg(static_cast<size_t>(size), '\0');
        if (size > 0) WideCharToMultiByte(CP_UTF8, 0, wide[n], length, &arg[0], size, nullptr, nullptr);
        args.push_back(arg);
    }
    LocalFree(wide);
    return args;
#else
    return std::vector<std::string>(argv + 1, argv + argc);
#endif
}

}  // namespace

int main(int argc, char** argv)
{
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);  // --render writes the bytes as they are
#endif
    const std::vector<std::string> args = Arguments(argc, argv);
    if (args.empty() || args[0] == "--help" || args[0] == "-h") return args.empty() ? BadUsage("no report named") : (std::cout << Usage, 0);
    const std::string mode = args[0].compare(0, 2, "--") == 0 ? args[0] : "";
    Status worst = Status::Read;
    if (mode == "--db") {
        if (args.size() < 3) return BadUsage("--db needs a database and at least one folder or file");
        return Database(args[1], std::vector<std::string>(args.begin() + 2, args.end()));
    }
    if (mode == "--serve") return Desk(args);
    if (mode == "--diff") {
        if (args.size() != 3) return BadUsage("--diff needs exactly two reports");
        const std::vector<Loaded> older = Read(args[1], worst);
        const std::vector<Loaded> newer = Read(args[2], worst);
        if (worst == Status::Unreadable) return 2;
        // One file of two runs compares its first with its last; of two files, the
        // older's last run with the newer's first.
        const bool joined = args[1] == args[2] && older.size() > 1;
        WriteDiff(std::cout, joined ? older.front() : older.back(), joined ? newer.back() : newer.front());
        return ExitCodeOf(worst);
    }
    if (mode == "--render") {
        if (args.size() != 2) return BadUsage("--render needs exactly one report");
        std::vector<Loaded> all = Read(args[1], worst);
        if (worst == Status::Unreadable) return 2;
        for (const Loaded& loaded : all) std::cout << Render(loaded.Model);
        std::cout.flush();
        return ExitCodeOf(worst);
    }
    if (mode == "--json") {
        if (args.size() < 2) return BadUsage("--json needs at least one report");
        for (size_t n = 1; n < args.size(); ++n)
            for (const Loaded& loaded : Read(args[n], worst, false)) std::cout << JsonLine(loaded) << "\n";
        return ExitCodeOf(worst);
    }
    if (!mode.empty() && mode != "--") return BadUsage(("unknown option " + mode).c_str());
    for (size_t n = mode.empty() ? 0 : 1; n < args.size(); ++n)
        for (const Loaded& loaded : Read(args[n], worst, false)) WriteSummary(std::cout, loaded);
    return ExitCodeOf(worst);
}
