#ifndef ENVCHECK_BENCH_THUNK_H
#define ENVCHECK_BENCH_THUNK_H

#include <windows.h>

#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "PlatformClock.h"
#include "info/FunctionCast.h"

// The closing section's platform time by family of calls (DXGI, Direct3D
// devices, display configuration, device list), summed over the process.
class TFamilyClock {
public:
    static void Add(const char* family, double ms)
    {
        std::lock_guard<std::mutex> hold(Lock());
        Totals()[family] += ms;
    }
    static std::map<std::string, double> Take()
    {
        std::lock_guard<std::mutex> hold(Lock());
        std::map<std::string, double> taken;
        taken.swap(Totals());
        return taken;
    }

private:
    static std::mutex& Lock()
    {
        static std::mutex lock;
        return lock;
    }
    static std::map<std::string, double>& Totals()
    {
        static std::map<std::string, double> totals;
        return totals;
    }
};

// Times one call into a family as well as the platform's.
class TFamilyCall {
public:
    explicit TFamilyCall(const char* family) : Family(family), Start(family != nullptr ? NowMs() : 0) {}
    ~TFamilyCall()
    {
        if (Family != nullptr) TFamilyClock::Add(Family, NowMs() - Start);
    }
    TFamilyCall(const TFamilyCall&) = delete;
    TFamilyCall& operator=(const TFamilyCall&) = delete;

private:
    const char* Family;
    double Start;
};

// A stand-in for one platform function that times each call of the real
// one, whose address is kept in Real. Tag makes one stand-in per function.
template <typename Tag, typename Result, typename... Arguments>
struct TThunk {
    static inline Result(WINAPI* Real)(Arguments...) = nullptr;
    static inline const char* Family = nullptr;
    static Result WINAPI Call(Arguments... arguments)
    {
        TFamilyCall family(Family);
        TPlatformCall timing;
        return Real(arguments...);
    }
    static FARPROC Bind(FARPROC real, const char* family = nullptr)
    {
        Real = FunctionCast<decltype(Real)>(real);
        Family = family;
        return FunctionCast<FARPROC>(&Call);
    }
};

// In a function of (const char* function, FARPROC real): the stand-in for
// the function of that name.
#define ENVCHECK_THUNK(name, ...) \
    if (strcmp(function, #name) == 0) return TThunk<struct name##Tag, __VA_ARGS__>::Bind(real)
// The same, for one of the closing section's families of calls.
#define ENVCHECK_FAMILY_THUNK(family, name, ...) \
    if (strcmp(function, #name) == 0) return TThunk<struct name##Tag, __VA_ARGS__>::Bind(real, family)

#endif
