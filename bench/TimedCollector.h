#ifndef ENVCHECK_BENCH_TIMEDCOLLECTOR_H
#define ENVCHECK_BENCH_TIMEDCOLLECTOR_H

#include <memory>

#include "Clock.h"
#include "PlatformClock.h"
#include "info/BaseInfo.h"

// A collector run through the collection run as it is, with the time of its
// Collect and of the platform calls made in it. Its lines become this
// object's own afterwards, so the run shows and saves them unchanged.
class TTimedCollector : public TBaseInfo {
public:
    explicit TTimedCollector(std::unique_ptr<TBaseInfo> inner) : Inner(std::move(inner)) { Title = Inner->GetTitle(); }

    void Collect() override
    {
        const double platformBefore = TPlatformCall::TotalMs();
        const double start = NowMs();
        Inner->Collect();
        Ended = NowMs();
        CollectMs = Ended - start;
        PlatformAtEnd = TPlatformCall::TotalMs();
        PlatformMs = PlatformAtEnd - platformBefore;
        Lines.swap(LinesOf(*Inner));
    }

    double CollectMs = 0;
    double PlatformMs = 0;
    double Ended = 0;
    double PlatformAtEnd = 0;

private:
    struct TLineAccess : TBaseInfo {
        static std::deque<std::string>& Of(TBaseInfo& collector) { return collector.*(&TLineAccess::Lines); }
    };
    static std::deque<std::string>& LinesOf(TBaseInfo& collector) { return TLineAccess::Of(collector); }

    std::unique_ptr<TBaseInfo> Inner;
};

#endif
