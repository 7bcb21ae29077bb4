#ifndef ENVCHECK_READER_ZIP_H
#define ENVCHECK_READER_ZIP_H

#include <functional>
#include <string>

namespace reader {

// One file of a zip: its bytes, or why it was not taken (Error non-empty; Limit
// when that was one of the limits).
struct ZipEntry {
    std::string Name, Bytes, Error;
    bool Limit = false;
};

// Whether bytes are a zip (a local file header, or an empty archive's end record).
bool IsZip(const std::string& bytes);

// The *.txt files of a zip held in memory, each handed to each as soon as it is
// read, so that one at a time is held. A zip comes from anyone, so what it says
// of itself is not trusted: each file is read at most to fileLimit bytes, all
// of them together to budget (which is spent by what they expand to), at most
// maxFiles are taken, an archive of more entries than a request may carry is
// not opened, and a name that is absolute or climbs out of its folder ("../")
// is refused. Error is set when the zip itself is not read, and limited when
// that was for its size (an archive too large to open).
void ReadZip(const std::string& bytes, size_t fileLimit, size_t& budget, size_t maxFiles, std::string& error,
             bool& limited, const std::function<void(ZipEntry&)>& each);

}  // namespace reader

#endif
