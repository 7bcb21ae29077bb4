#ifndef ENVCHECK_READER_NORMALISE_H
#define ENVCHECK_READER_NORMALISE_H

#include <string>
#include <vector>

namespace reader {

// A file as envcheck wrote it, from what the player sent: cp932 again, one
// kind of line end, no quote marks, the headings' trailing blanks back.
struct Normalised {
    std::string Text;                // the file's own bytes when nothing was undone
    std::vector<std::string> Notes;  // what was undone, once each (ASCII)
};

Normalised Normalise(const std::string& bytes);

}  // namespace reader

#endif
