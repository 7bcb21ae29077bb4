#ifndef ENVCHECK_READER_ZIP_H
#define ENVCHECK_READER_ZIP_H

#include <string>
#include <vector>

namespace reader {

// One file of a zip: its bytes, or why it was not taken (Error non-empty).
struct ZipEntry {
    std::string Name, Bytes, Error;
};

// Whether bytes are a zip (a local file header, or an empty archive's end record).
bool IsZip(const std::string& bytes);

// The *.txt files of a zip held in memory. A zip comes from anyone, so what it
// says of itself is not trusted: each file is read at most to fileLimit bytes,
// all of them together to budget (which is spent by what they expand to), at
// most maxFiles are looked at, and a name that is absolute or climbs out of
// its folder ("../") is refused. Error is set when the zip cannot be read.
std::vector<ZipEntry> ReadZip(const std::string& bytes, size_t fileLimit, size_t& budget, size_t maxFiles,
                              std::string& error);

}  // namespace reader

#endif
