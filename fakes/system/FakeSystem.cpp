#include "fakes/system/FakeSystem.h"

#include "info/FunctionCast.h"

namespace {

BOOL WINAPI FakeGlobalMemoryStatusEx(LPMEMORYSTATUSEX status)
{
    if (FaultPlan.Fails("GlobalMemoryStatusEx")) return FALSE;
    TFakeSystem& machine = TFakeSystem::Current();
    machine.ExMemoryLength = status->dwLength;
    *status = machine.MemoryEx;
    return TRUE;
}

}  // namespace

TFakeSystem::TFakeSystem()
{
    Provide("kernel32.dll", FakeKernel32, {FAKE_EXPORT(GlobalMemoryStatusEx)});
}
