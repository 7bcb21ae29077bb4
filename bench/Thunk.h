#ifndef ENVCHECK_BENCH_THUNK_H
#define ENVCHECK_BENCH_THUNK_H

#include <windows.h>

#include <cstring>

#include "PlatformClock.h"
#include "info/FunctionCast.h"

// A stand-in for one platform function that times each call of the real
// one, whose address is kept in Real. Tag makes one stand-in per function.
template <typename Tag, typename Result, typename... Arguments>
struct TThunk {
    static inline Result(WINAPI* Real)(Arguments...) = nullptr;
    static Result WINAPI Call(Arguments... arguments)
    {
        TPlatformCall timing;
        return Real(arguments...);
    }
    static FARPROC Bind(FARPROC real)
    {
        Real = FunctionCast<decltype(Real)>(real);
        return FunctionCast<FARPROC>(&Call);
    }
};

// In a function of (const char* function, FARPROC real): the stand-in for
// the function of that name.
#define ENVCHECK_THUNK(name, ...) \
    if (strcmp(function, #name) == 0) return TThunk<struct name##Tag, __VA_ARGS__>::Bind(real)

#endif
