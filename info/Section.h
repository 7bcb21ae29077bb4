#ifndef ENVCHECK_INFO_SECTION_H
#define ENVCHECK_INFO_SECTION_H

#include <boost/format.hpp>

#include <deque>
#include <string>

// A section of the report as its elements, in order: the run shows them one
// by one and the report is their bytes, nothing between them.
class TSection {
public:
    // Without its carriage returns: neither the view nor a saved report ever had one.
    void AddLine(const boost::format& line);
    const std::deque<std::string>& Lines() const { return Elements; }

private:
    std::deque<std::string> Elements;
};

#endif
