#ifndef ENVCHECK_READER_FILE_H
#define ENVCHECK_READER_FILE_H

#include <string>

namespace reader {

// Reads a report's file whole: only a regular file (a pipe or a device would
// never end), no larger than the largest report. Path is UTF-8; on Windows it
// is opened by its wide name, never through the ANSI code page. False with why.
bool ReadReport(const std::string& path, std::string& bytes, std::string& why);

}  // namespace reader

#endif
