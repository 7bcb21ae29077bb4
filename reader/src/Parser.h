#ifndef ENVCHECK_READER_PARSER_H
#define ENVCHECK_READER_PARSER_H

#include <string>
#include <string_view>
#include <vector>

#include "Report.h"

namespace reader {

// No report is this large; a bigger file is refused before it is split.
constexpr size_t MaxReportBytes = 16u * 1024 * 1024;

// A report's bounds: past them the rest is a problem and kept as text, so that
// memory stays in proportion to the file whatever its lines are.
constexpr size_t MaxLines = 100000;   // of a file, all its reports together
constexpr size_t MaxSections = 64;    // of a report (one has 18 kinds)
constexpr size_t MaxColumns = 16;     // of a table (one has 7)
constexpr size_t MaxReports = 64;     // of a file; the rest is read as part of the last

// The problem of a file over that size.
std::string TooLarge(unsigned long long size);

// Reads a report from its bytes. Never throws for any input: what does not
// fit a report's shape is kept as text and named in Problems.
Report Parse(std::string_view bytes, size_t maxLines = MaxLines);

// A file of several reports cut into one text each: a report starts at its
// hardware heading, and the lines before it that the report before cannot
// have (a player's note) go with it.
std::vector<std::string_view> SplitReports(std::string_view text, size_t maxReports = MaxReports);

}  // namespace reader

#endif
