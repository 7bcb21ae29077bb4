#ifndef ENVCHECK_INFO_MODULEAPI_H
#define ENVCHECK_INFO_MODULEAPI_H

#include <windows.h>

// The calls that find a function in a library the process already has
// (kernel32); part of every seam that does so (see TVersionApi for the pattern).
class TModuleApi {
public:
    virtual ~TModuleApi() = default;
    virtual HMODULE GetModuleHandleA(LPCSTR name) = 0;
    virtual FARPROC GetProcAddress(HMODULE module, LPCSTR name) = 0;
};

// The Win32 side of those calls, for the Win32 side of any seam built on them.
template <typename Seam>
class TWin32ModuleCalls : public Seam {
public:
    HMODULE GetModuleHandleA(LPCSTR name) override { return ::GetModuleHandleA(name); }
    FARPROC GetProcAddress(HMODULE module, LPCSTR name) override { return ::GetProcAddress(module, name); }
};

#endif
