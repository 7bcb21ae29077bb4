#include "system/FakeSystem.h"

#include "info/FunctionCast.h"

namespace {

TFakeSystem* MemoryOwner = nullptr;

BOOL WINAPI FakeGlobalMemoryStatusEx(LPMEMORYSTATUSEX status)
{
    MemoryOwner->ExMemoryLength = status->dwLength;
    *status = MemoryOwner->MemoryEx;
    return TRUE;
}

}  // namespace

FARPROC TFakeSystem::GetProcAddress(HMODULE module, LPCSTR name)
{
    if (module != reinterpret_cast<HMODULE>(0x7c800000) || std::string(name) != "GlobalMemoryStatusEx" ||
        !HasMemoryStatusEx)
        return nullptr;
    MemoryOwner = this;
    return FunctionCast<FARPROC>(&FakeGlobalMemoryStatusEx);
}
