#ifndef ENVCHECK_BENCH_WHOLERUN_H
#define ENVCHECK_BENCH_WHOLERUN_H

#include <deque>
#include <map>
#include <string>
#include <vector>

// One collection run on the real platform in envcheck's own dialog, from
// Start to Save enabled.
struct TWholeRun {
    std::vector<std::string> Collectors;
    std::vector<double> CollectMs;   // per collector
    std::vector<double> PlatformMs;  // of that, inside the platform's calls
    double Pass2Ms = 0;
    double Pass2PlatformMs = 0;
    double TotalMs = 0;
    double PlatformTotalMs = 0;
    double LongestAnswerMs = 0;
    size_t Elements = 0;
    std::map<std::string, double> FamilyMs;  // the closing section's calls by family
};

// The report's elements are copied to report when it is given.
TWholeRun RunWholeReport(std::deque<std::string>* report = nullptr);

#endif
