#ifndef ENVCHECK_BENCH_PLATFORMCLOCK_H
#define ENVCHECK_BENCH_PLATFORMCLOCK_H

#include <atomic>

#include "Clock.h"

// Time spent inside the platform's calls, summed over the process or one
// thread. A call made from inside another is not counted twice.
class TPlatformCall {
public:
    TPlatformCall() : Outermost(Depth++ == 0), Start(Outermost ? NowMs() : 0) {}
    ~TPlatformCall()
    {
        --Depth;
        if (Outermost) Add(NowMs() - Start);
    }
    TPlatformCall(const TPlatformCall&) = delete;
    TPlatformCall& operator=(const TPlatformCall&) = delete;

    static double TotalMs() { return Total.load() / 1000.0; }
    // From now on only that thread's calls count (0: every thread's).
    static void CountOnly(DWORD thread) { Only = thread; }

private:
    static void Add(double ms)
    {
        if (Only == 0 || Only == GetCurrentThreadId()) Total += static_cast<long long>(ms * 1000.0);
    }
    static inline thread_local int Depth = 0;
    static inline std::atomic<long long> Total{0};  // microseconds
    static inline std::atomic<DWORD> Only{0};
    bool Outermost;
    double Start;
};

// Calls a platform function as one timed call.
template <typename Call>
auto Timed(Call call) -> decltype(call())
{
    TPlatformCall timing;
    return call();
}

#endif
