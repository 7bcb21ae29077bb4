#ifndef ENVCHECK_BENCH_SCALE_H
#define ENVCHECK_BENCH_SCALE_H

#include <string>
#include <vector>

#include "info/BaseInfo.h"

// A collector whose report is a given list of elements, for pass 2 alone.
class TGivenLines : public TBaseInfo {
public:
    explicit TGivenLines(const std::deque<std::string>& lines) : TBaseInfo("")
    {
        for (const std::string& line : lines) Section.AddLine(boost::format("%s") % line);
    }
    void Collect(const OsVersionRecord&) override {}
};

// One collector (or pass 2) at one size of machine: the median time and the
// rows (elements for pass 2) it made.
struct TScalePoint {
    std::string What;
    int Size;
    double Ms;
    size_t Rows;
    double LongestAnswerMs;  // pass 2 only
};

// The process, service and DirectX collectors against fake platforms of the
// given size, and pass 2 of what they reported, each the median of runs.
std::vector<TScalePoint> MeasureScale(int size, int runs);

// Pass 2 of the given collectors into envcheck's dialog, from a worker thread
// as the collection run does it; the longest wait of a message sent meanwhile.
double MeasurePass2(std::vector<TBaseInfo*>& collectors, double& longestAnswerMs);

#endif
