#include "Load.h"

#include <filesystem>
#include <fstream>

#include "Normalise.h"
#include "Parser.h"
#include "Sha256.h"

namespace reader {

namespace {

// A report's key is its own text as read: without the note above it and the
// blank lines a player left below it, so that a run sent alone, with a note,
// or again inside a joined file is one report. A clean file's text is its bytes.
std::string_view OwnText(std::string_view part, const Report& model)
{
    size_t preface = 0;
    if (const Section* section = model.Find("preface"))
        if (!section->Items.empty()) preface = section->Items.back().Line;
    size_t at = 0;
    for (size_t line = 0; line < preface && at < part.size(); ++line) {
        const size_t end = part.find('\n', at);
        at = end == std::string_view::npos ? part.size() : end + 1;
    }
    std::string_view own = part.substr(at);
    const std::string_view twice = model.LineEnd == "\n" ? "\n\n\n" : "\r\n\r\n\r\n";
    while (own.size() >= twice.size() && own.substr(own.size() - twice.size()) == twice)
        own.remove_suffix(model.LineEnd.size());
    return own;
}

}  // namespace

std::vector<Loaded> LoadAll(const std::string& path, const std::string& bytes)
{
    std::vector<Loaded> all;
    if (bytes.size() > MaxReportBytes) {  // refused before anything is made of it
        all.emplace_back().Path = path;
        all.back().Model = Parse(bytes);
        return all;
    }
    const Normalised normalised = Normalise(bytes);
    const std::vector<std::string_view> parts = SplitReports(normalised.Text);
    for (const std::string_view part : parts) {
        Loaded& loaded = all.emplace_back();
        loaded.Path = path;
        loaded.Part = all.size();
        loaded.Parts = parts.size();
        loaded.Notes = normalised.Notes;
        loaded.Model = Parse(part);
        loaded.Sha256 = Sha256Hex(OwnText(part, loaded.Model));
        if (loaded.Model.State != Status::Unreadable) {
            loaded.Data = FactsOf(loaded.Model);
            loaded.Findings = FindingsOf(loaded.Data);
        }
    }
    return all;
}

Loaded LoadBytes(const std::string& path, const std::string& bytes)
{
    std::vector<Loaded> all = LoadAll(path, bytes);
    return std::move(all.front());
}

namespace {

std::vector<Loaded> Unreadable(const std::string& path, const std::string& why)
{
    std::vector<Loaded> loaded(1);
    loaded[0].Path = path;
    loaded[0].Model.State = Status::Unreadable;
    loaded[0].Model.Problems.push_back({0, why});
    return loaded;
}

}  // namespace

std::vector<Loaded> LoadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) return Unreadable(path, "cannot be opened");
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (!error && size > MaxReportBytes) return Unreadable(path, TooLarge(size));
    // The file's size and one byte more (or, where it has none, the largest
    // report's): Parse then refuses whatever is larger than a report.
    std::string bytes(error ? MaxReportBytes + 1 : static_cast<size_t>(size) + 1, '\0');
    file.read(&bytes[0], static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(file.gcount()));
    if (file.bad()) return Unreadable(path, "cannot be read");
    return LoadAll(path, bytes);
}

Status Worse(Status a, Status b) { return static_cast<int>(a) > static_cast<int>(b) ? a : b; }

int ExitCodeOf(Status worst) { return static_cast<int>(worst); }

}  // namespace reader
