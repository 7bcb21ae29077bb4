#ifndef ENVCHECK_TESTS_APP_TESTCOLLECTOR_H
#define ENVCHECK_TESTS_APP_TESTCOLLECTOR_H

#include <functional>
#include <string>
#include <vector>

#include "info/BaseInfo.h"

// A collector with a given title and lines, and an optional action while it collects.
class TTestCollector : public TBaseInfo {
public:
    TTestCollector(const std::string& title, std::vector<std::string> lines) : Elements(std::move(lines))
    {
        Title = title;
    }
    void Collect() override
    {
        ++Runs;
        for (const std::string& element : Elements) AddLine(boost::format("%s") % element);
        if (During) During();
    }
    std::vector<std::string> Elements;
    std::function<void()> During;
    int Runs = 0;
};

#endif
