#ifndef ENVCHECK_INFO_BASEINFO_H
#define ENVCHECK_INFO_BASEINFO_H

#include <deque>
#include <ostream>
#include <string>

#include "info/OsVersion.h"
#include "info/Section.h"

// Base of every collector: a progress title and the section Collect fills.
// Collect gathers what its seam answers into plain records, then writes the
// section from them with a step that asks nothing of the platform.
class TBaseInfo {
public:
    explicit TBaseInfo(const char* title) : Title(title) {}
    virtual ~TBaseInfo() = default;
    TBaseInfo(const TBaseInfo&) = delete;
    TBaseInfo& operator=(const TBaseInfo&) = delete;

    virtual void Collect(const OsVersionRecord& version) = 0;

    // Writes every element's bytes, nothing between them.
    void WriteLines(std::ostream& file) const;

    const std::string& GetTitle() const { return Title; }
    const std::deque<std::string>& GetLines() const { return Section.Lines(); }

protected:
    TSection Section;

private:
    std::string Title;
};

#endif
