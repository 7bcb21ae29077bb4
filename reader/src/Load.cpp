#include "Load.h"

#include <filesystem>
#include <fstream>

#include "Parser.h"
#include "Sha256.h"

namespace reader {

Loaded LoadBytes(const std::string& path, const std::string& bytes)
{
    Loaded loaded;
    loaded.Path = path;
    loaded.Sha256 = Sha256Hex(bytes);
    loaded.Model = Parse(bytes);
    if (loaded.Model.State != Status::Unreadable) {
        loaded.Data = FactsOf(loaded.Model);
        loaded.Findings = FindingsOf(loaded.Data);
    }
    return loaded;
}

namespace {

Loaded Unreadable(const std::string& path, const std::string& why)
{
    Loaded loaded;
    loaded.Path = path;
    loaded.Model.State = Status::Unreadable;
    loaded.Model.Problems.push_back({0, why});
    return loaded;
}

}  // namespace

Loaded LoadFile(const std::string& path)
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
    return LoadBytes(path, bytes);
}

Status Worse(Status a, Status b) { return static_cast<int>(a) > static_cast<int>(b) ? a : b; }

int ExitCodeOf(Status worst) { return static_cast<int>(worst); }

}  // namespace reader
