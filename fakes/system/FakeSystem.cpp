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

TFakeSystem::TFakeSystem()
{
    Provide("kernel32.dll", FakeKernel32, {{"GlobalMemoryStatusEx", FunctionCast<FARPROC>(&FakeGlobalMemoryStatusEx)}});
}

FARPROC TFakeSystem::GetProcAddress(HMODULE module, LPCSTR name)
{
    if (FaultPlan.Fails("GetProcAddress")) return nullptr;
    const FARPROC function = Function(module, name);
    if (function != nullptr) MemoryOwner = this;
    return function;
}
