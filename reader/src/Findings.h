#ifndef ENVCHECK_READER_FINDINGS_H
#define ENVCHECK_READER_FINDINGS_H

#include <string>
#include <vector>

#include "Facts.h"

namespace reader {

struct Finding {
    std::string Id, Text;
};

// One rule of what support checks first.
struct Rule {
    const char* Id;
    const char* Reads;  // the fields it looks at, for the documentation
    const char* Needs;  // sections, one of which the report must hold for the rule to be asked
    const char* Shows;  // the names of the lines it reads in those sections ('|' between), for the desk to point at
    const char* Text;
    bool (*Fires)(const Facts&);
    // What it found, where a rule names it (the device, the display): follows Text after ": ".
    std::string (*Names)(const Facts&) = nullptr;
};

const std::vector<Rule>& Rules();
std::vector<Finding> FindingsOf(const Facts& facts);

// The major version of the Windows a report ran on, or -1.
long long WindowsMajor(const Facts& facts);

}  // namespace reader

#endif
