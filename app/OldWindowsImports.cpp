// The thread runtime linked into the program imports three kernel32
// functions that Windows 2000 lacks (GetTickCount64 from Vista on, the
// vectored exception handlers from XP on); imported, they would stop the
// program from starting there. Their import slots are defined here instead:
// each forwards to kernel32's own function where it exists, else falls back.
#include <windows.h>

#include "info/Kernel32Functions.h"

namespace {

template <typename Function>
typename Function::Type OwnFunction()
{
    TWin32ModuleCalls<TModuleApi> calls;
    return FindFunction<Function>(TLoadedModule(calls, "kernel32.dll"));
}

volatile LONG LastTick = 0;
volatile LONG Wraps = 0;

ULONGLONG WINAPI TickCount64()
{
    static const auto own = OwnFunction<Kernel32::GetTickCount64>();
    if (own != nullptr) return own();
    // The 32-bit count, widened by counting its wraps (one each 49.7 days):
    // only a step back of more than half the range is a wrap.
    const DWORD now = GetTickCount();
    const DWORD previous = static_cast<DWORD>(InterlockedExchange(&LastTick, static_cast<LONG>(now)));
    if (previous - now < 0x80000000u && previous > now) InterlockedIncrement(&Wraps);
    return (static_cast<ULONGLONG>(static_cast<DWORD>(Wraps)) << 32) | now;
}

PVOID WINAPI AddHandler(ULONG first, PVECTORED_EXCEPTION_HANDLER handler)
{
    static const auto own = OwnFunction<Kernel32::AddVectoredExceptionHandler>();
    return own != nullptr ? own(first, handler) : nullptr;
}

ULONG WINAPI RemoveHandler(PVOID handle)
{
    static const auto own = OwnFunction<Kernel32::RemoveVectoredExceptionHandler>();
    return own != nullptr && handle != nullptr ? own(handle) : 0;
}

}  // namespace

extern "C" {
void* ImportGetTickCount64 __asm__("__imp__GetTickCount64@0") = FunctionCast<void*>(&TickCount64);
void* ImportAddHandler __asm__("__imp__AddVectoredExceptionHandler@8") = FunctionCast<void*>(&AddHandler);
void* ImportRemoveHandler __asm__("__imp__RemoveVectoredExceptionHandler@4") = FunctionCast<void*>(&RemoveHandler);
}
