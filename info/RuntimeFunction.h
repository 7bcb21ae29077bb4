#ifndef ENVCHECK_INFO_RUNTIMEFUNCTION_H
#define ENVCHECK_INFO_RUNTIMEFUNCTION_H

#include <windows.h>

#include "info/FunctionCast.h"

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

// A platform function that older Windows may lack, found by name at run time,
// with its type. Each library's functions are declared once, together, in a
// namespace named after it.
#define ENVCHECK_RUNTIME_FUNCTION_TYPED(name, ...)                                                                    \
    struct name {                                                                                                     \
        using Type = __VA_ARGS__;                                                                                     \
        static const char* Name() { return #name; }                                                                   \
    };

// Typed from the platform header's own prototype; the typed form is for a
// function whose prototype the headers show only to a newer target than the
// program's, or to drivers alone.
#define ENVCHECK_RUNTIME_FUNCTION(name) ENVCHECK_RUNTIME_FUNCTION_TYPED(name, decltype(&::name))

// The function as a library finds it (anything with Find(name), such as
// TSystemLibrary); null when the library or the function is missing, so the
// caller checks it before the call.
template <typename Function, typename Library>
typename Function::Type FindFunction(const Library& library)
{
    return FunctionCast<typename Function::Type>(library.Find(Function::Name()));
}

// A library the process already has, asked for its handle afresh on every lookup.
class TLoadedModule {
public:
    TLoadedModule(TModuleApi& api, const char* fileName) : Api(api), FileName(fileName) {}

    FARPROC Find(const char* name) const
    {
        const HMODULE module = Api.GetModuleHandleA(FileName);
        return module != nullptr ? Api.GetProcAddress(module, name) : nullptr;
    }

private:
    TModuleApi& Api;
    const char* FileName;
};

#endif
