#ifndef ENVCHECK_TESTS_APP_TESTCOLLECTOR_H
#define ENVCHECK_TESTS_APP_TESTCOLLECTOR_H

#include <functional>
#include <string>
#include <vector>

#include "info/BaseInfo.h"

// A collector with a given title and lines, and an optional action while it collects.
class TTestCollector : public TBaseInfo {
public:
    TTestCollector(const char* title, std::vector<std::string> lines) : TBaseInfo(title), Elements(std::move(lines)) {}
    void Collect(const OsVersionRecord& version) override
    {
        ++Runs;
        Told = version;
        for (const std::string& element : Elements) Section.AddLine(boost::format("%s") % element);
        if (During) During();
    }
    std::vector<std::string> Elements;
    std::function<void()> During;
    int Runs = 0;
    OsVersionRecord Told;
};

#endif
