#include "info/BaseInfo.h"

#include <algorithm>

void TSection::AddLine(const boost::format& line)
{
    std::string element = line.str();
    element.erase(std::remove(element.begin(), element.end(), '\r'), element.end());
    Elements.push_back(std::move(element));
}

void TBaseInfo::WriteLines(std::ostream& file) const
{
    for (const std::string& element : Section.Lines())
        file.write(element.data(), static_cast<std::streamsize>(element.size()));
}
