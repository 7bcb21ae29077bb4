#ifndef ENVCHECK_READER_LOAD_H
#define ENVCHECK_READER_LOAD_H

#include <string>
#include <vector>

#include "Facts.h"
#include "Findings.h"
#include "Report.h"

namespace reader {

// One report file, read and understood.
struct Loaded {
    std::string Path, Sha256;
    Report Model;
    Facts Data;
    std::vector<Finding> Findings;
};

Loaded LoadBytes(const std::string& path, const std::string& bytes);
// Never throws: a file that cannot be opened or is too large is Unreadable, with the reason.
Loaded LoadFile(const std::string& path);

// Exit status for a set of reports: 0 all read, 1 some partial, 2 some unreadable.
int ExitCodeOf(Status worst);
Status Worse(Status a, Status b);

}  // namespace reader

#endif
