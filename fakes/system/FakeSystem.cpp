#include "fakes/system/FakeSystem.h"

#include "info/FunctionCast.h"

namespace {

TFakeSystem* MemoryOwner = nullptr;

BOOL WINAPI FakeGlobalMemoryStatusEx(LPMEMORYSTATUSEX status)
{
    if (FaultPlan.Fails("GlobalMemoryStatusEx")) return FALSE;
    MemoryOwner->ExMemoryLength = status->dwLength;
    *status = MemoryOwner->MemoryEx;
    return TRUE;
}

}  // namespace

FARPROC TFakeSystem::GetProcAddress(HMODULE module, LPCSTR name)
{
    if (FaultPlan.Fails("GetProcAddress")) return nullptr;
    if (module != reinterpret_cast<HMODULE>(0x7c800000) || std::string(name) != "GlobalMemoryStatusEx" ||
        !HasMemoryStatusEx)
        return nullptr;
    MemoryOwner = this;
    return FunctionCast<FARPROC>(&FakeGlobalMemoryStatusEx);
}
