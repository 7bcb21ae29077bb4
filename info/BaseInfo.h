#ifndef ENVCHECK_INFO_BASEINFO_H
#define ENVCHECK_INFO_BASEINFO_H

#include <boost/format.hpp>

#include <atomic>
#include <deque>
#include <ostream>
#include <string>

#include "info/VersionApi.h"

class TCustomEdit;

// Base of every collector: a progress title, the line store that holds the
// collector's section of the report, and Collect, which fills the store.
class TBaseInfo {
public:
    explicit TBaseInfo(TVersionApi& versionApi = Win32VersionApi());
    virtual ~TBaseInfo();
    TBaseInfo(const TBaseInfo&) = delete;
    TBaseInfo& operator=(const TBaseInfo&) = delete;

    virtual void Collect() = 0;

    void AddLine(const boost::format& line);
    // Appends every element to the view (which strips their carriage returns
    // in place), then refreshes it once. A stop request ends the appending.
    void ShowLines(TCustomEdit& view, const std::atomic<bool>* stop = nullptr);
    // What ShowLines does to the elements, for a run without a view.
    void RemoveCarriageReturns();
    // Writes every element's bytes, nothing between them.
    void WriteLines(std::ostream& file);

    const std::string& GetTitle() const { return Title; }
    const std::deque<std::string>& GetLines() const { return Lines; }

protected:
    std::string Title;
    std::deque<std::string> Lines;
};

#endif
