#include "Load.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <new>

#include "Cp932.h"
#include "File.h"

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
    const std::string_view text = normalised.Of(bytes);
    std::vector<std::string_view> parts = SplitReports(text);
    // The file's reports share its bounds: the one that reaches them holds the rest.
    size_t left = MaxLines, last = MaxLines;  // the lines the last report may have
    for (size_t n = 0; n < parts.size(); ++n) {
        last = left;
        const size_t count = static_cast<size_t>(std::count(parts[n].begin(), parts[n].end(), '\n'));
        if (count < left) {
            left -= count;
            continue;
        }
        const char* const end = text.data() + text.size();
        parts[n] = std::string_view(parts[n].data(), static_cast<size_t>(end - parts[n].data()));
        parts.resize(n + 1);
    }
    for (const std::string_view part : parts) {
        Loaded& loaded = all.emplace_back();
        loaded.Path = path;
        loaded.Part = all.size();
        loaded.Parts = parts.size();
        loaded.Notes = normalised.Notes;
        loaded.Model = Parse(part, all.size() == parts.size() ? last : MaxLines);
        loaded.Sha256 = Sha256Hex(OwnText(part, loaded.Model));
        if (loaded.Model.State != Status::Unreadable) {
            loaded.Data = FactsOf(loaded.Model);
            for (Problem& problem : loaded.Data.Problems) loaded.Model.Flag(problem.Line, std::move(problem.Message));
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
    loaded[0].Path = FileName(path);
    loaded[0].Model.State = Status::Unreadable;
    loaded[0].Model.Problems.push_back({0, why});
    return loaded;
}

bool IsHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

}  // namespace

std::string FileName(std::string_view path)
{
    std::string name;
    name.reserve(path.size());
    for (size_t at = 0; at < path.size();) {
        const size_t length = Utf8CharLength(path, at);
        const unsigned char c = static_cast<unsigned char>(path[at]);
        const bool c1 = length == 2 && c == 0xC2 && static_cast<unsigned char>(path[at + 1]) < 0xA0;
        // A backslash that would read as an escape is one itself.
        const bool looksEscaped = c == '\\' && at + 3 < path.size() && path[at + 1] == 'x' && IsHex(path[at + 2]) &&
                                  IsHex(path[at + 3]);
        if (length == 0 || c < 0x20 || c == 0x7F || c1 || looksEscaped) {
            const size_t bytes = c1 ? 2 : 1;
            for (size_t n = 0; n < bytes; ++n) {
                char escaped[8];
                std::snprintf(escaped, sizeof(escaped), "\\x%02X", static_cast<unsigned char>(path[at + n]));
                name += escaped;
            }
            at += bytes;
            continue;
        }
        name.append(path, at, length);
        at += length;
    }
    return name;
}

std::vector<Loaded> LoadFile(const std::string& path)
{
    // A file that needs more memory than there is costs only itself.
    try {
        std::string bytes, why;
        if (!ReadReport(path, bytes, why)) return Unreadable(path, why);
        return LoadAll(FileName(path), bytes);
    } catch (const std::bad_alloc&) {
        return Unreadable(path, "there is not enough memory to read it");
    }
}

Status Worse(Status a, Status b) { return static_cast<int>(a) > static_cast<int>(b) ? a : b; }

int ExitCodeOf(Status worst) { return static_cast<int>(worst); }

}  // namespace reader
