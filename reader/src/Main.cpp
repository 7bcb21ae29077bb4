// envcheck-read: reads envcheck's reports back for the support team.
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "Load.h"
#include "Output.h"
#include "Render.h"
#ifdef ENVCHECK_READER_DATABASE
#include "Database.h"
#endif

using namespace reader;

namespace {

const char Usage[] =
    "usage: envcheck-read FILE...                      one summary per report\n"
    "       envcheck-read --json FILE...               one JSON object per report (JSON Lines)\n"
    "       envcheck-read --db DATABASE DIR|FILE...    add every report (*.txt in folders) to a SQLite database\n"
    "       envcheck-read --diff OLD NEW               what changed between two reports of one player\n"
    "       envcheck-read --render FILE                the file as read, written back (cp932): nothing lost\n"
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

bool IsText(const std::filesystem::path& path)
{
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return std::tolower(c); });
    return extension == ".txt";
}

// The files named, and the *.txt files under the folders named, in a stable order.
[[maybe_unused]] std::vector<std::string> Expand(const std::vector<std::string>& names, Status& worst)
{
    std::vector<std::string> files;
    for (const std::string& name : names) {
        std::error_code error;
        if (!std::filesystem::is_directory(name, error)) {
            files.push_back(name);
            continue;
        }
        std::vector<std::string> found;
        std::filesystem::recursive_directory_iterator walk(name, error), end;
        for (; !error && walk != end; walk.increment(error))
            if (walk->is_regular_file(error) && IsText(walk->path())) found.push_back(walk->path().string());
        if (error) {
            std::cerr << name << ": cannot be listed: " << error.message() << "\n";
            worst = Status::Unreadable;
        }
        std::sort(found.begin(), found.end());
        files.insert(files.end(), found.begin(), found.end());
    }
    return files;
}

int Database(const std::string& path, const std::vector<std::string>& names)
{
#ifdef ENVCHECK_READER_DATABASE
    Status worst = Status::Read;
    TDatabase database(path);
    if (!database.IsOpen() || !database.Begin()) {
        std::cerr << path << ": " << database.Error() << "\n";
        return 2;
    }
    size_t added = 0, known = 0, unreadable = 0;
    for (const std::string& file : Expand(names, worst))
        for (const Loaded& loaded : Read(file, worst)) {
            if (loaded.Model.State == Status::Unreadable) {
                ++unreadable;
            } else if (database.Add(loaded)) {
                ++added;
            } else if (!database.Error().empty()) {
                std::cerr << file << ": not added: " << database.Error() << "\n";
                worst = Status::Unreadable;
            } else {
                ++known;
            }
        }
    if (!database.Commit()) {
        std::cerr << path << ": " << database.Error() << "\n";
        return 2;
    }
    std::cout << "added " << added << ", already there " << known << ", unreadable " << unreadable << "\n";
    return ExitCodeOf(worst);
#else
    (void)path;
    (void)names;
    std::cerr << "envcheck-read: this build has no SQLite, so --db is not available\n";
    return 2;
#endif
}

}  // namespace

int main(int argc, char** argv)
{
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);  // --render writes the bytes as they are
#endif
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h") return args.empty() ? BadUsage("no report named") : (std::cout << Usage, 0);
    const std::string mode = args[0].compare(0, 2, "--") == 0 ? args[0] : "";
    Status worst = Status::Read;
    if (mode == "--db") {
        if (args.size() < 3) return BadUsage("--db needs a database and at least one folder or file");
        return Database(args[1], std::vector<std::string>(args.begin() + 2, args.end()));
    }
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
