#ifndef ENVCHECK_READER_LOAD_H
#define ENVCHECK_READER_LOAD_H

#include <string>
#include <string_view>
#include <vector>

#include "Facts.h"
#include "Findings.h"
#include "Report.h"

namespace reader {

// One report, read and understood: a file holds one, or several one after another.
struct Loaded {
    std::string Path, Sha256;
    size_t Part = 1, Parts = 1;      // which report of the file, from 1
    std::vector<std::string> Notes;  // what was undone to read the file (ASCII), the same for each part
    Report Model;
    Facts Data;
    std::vector<Finding> Findings;
};

// Every report in a file's bytes, at least one, each keyed by the SHA-256 of
// its own text as read (for a clean file, its bytes).
std::vector<Loaded> LoadAll(const std::string& path, const std::string& bytes);
// The first of them.
Loaded LoadBytes(const std::string& path, const std::string& bytes);
// Never throws: a file that cannot be opened or is too large is Unreadable,
// with the reason. Path is UTF-8 (on Windows too).
std::vector<Loaded> LoadFile(const std::string& path);

// A file's name as every output gives it: valid UTF-8 that names it without
// loss, a byte that is no UTF-8 or a control character written as \xNN (and a
// backslash that would read as such, \x5C).
std::string FileName(std::string_view path);

// Exit status for a set of reports: 0 all read, 1 some partial, 2 some unreadable.
int ExitCodeOf(Status worst);
Status Worse(Status a, Status b);

}  // namespace reader

#endif
