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
    explicit TTimedCollector(std::unique_ptr<TBaseInfo> inner)
        : TBaseInfo(inner->GetTitle().c_str()), Inner(std::move(inner))
    {
    }

    void Collect(const OsVersionRecord& version) override
    {
        const double platformBefore = TPlatformCall::TotalMs();
        const double start = NowMs();
        Inner->Collect(version);
        Ended = NowMs();
        CollectMs = Ended - start;
        PlatformAtEnd = TPlatformCall::TotalMs();
        PlatformMs = PlatformAtEnd - platformBefore;
        Section = std::move(SectionOf(*Inner));
    }

    double CollectMs = 0;
    double PlatformMs = 0;
    double Ended = 0;
    double PlatformAtEnd = 0;

private:
    struct TSectionAccess : TBaseInfo {
        static TSection& Of(TBaseInfo& collector) { return collector.*(&TSectionAccess::Section); }
    };
    static TSection& SectionOf(TBaseInfo& collector) { return TSectionAccess::Of(collector); }

    std::unique_ptr<TBaseInfo> Inner;
};

#endif
