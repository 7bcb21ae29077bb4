#ifndef ENVCHECK_READER_NORMALISE_H
#define ENVCHECK_READER_NORMALISE_H

#include <string>
#include <string_view>
#include <vector>

namespace reader {

// A file as envcheck wrote it, from what the player sent: cp932 again, one
// kind of line end, no quote marks, the headings' trailing blanks back.
struct Normalised {
    bool Clean = true;               // nothing was undone: the text is the file's own bytes, not copied
    std::string Text;                // otherwise the text as envcheck wrote it
    std::vector<std::string> Notes;  // what was undone, once each (ASCII)

    std::string_view Of(const std::string& bytes) const { return Clean ? std::string_view(bytes) : Text; }
};

Normalised Normalise(const std::string& bytes);

}  // namespace reader

#endif
