#ifndef ENVCHECK_FAKES_FAKELIBRARIES_H
#define ENVCHECK_FAKES_FAKELIBRARIES_H

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "info/FunctionCast.h"

// kernel32's module on every fake machine.
HMODULE const FakeKernel32 = reinterpret_cast<HMODULE>(0x7c800000);

// The libraries a fake machine provides: each file's module and the functions
// found in it by name. A test takes any of them away.
class TFakeLibraries {
public:
    using TFunctions = std::map<std::string, FARPROC>;

    std::set<std::string> MissingLibraries;  // file names as asked for
    std::set<std::string> MissingFunctions;

protected:
    void Provide(const std::string& file, HMODULE module, TFunctions functions)
    {
        Libraries.push_back({file, module, std::move(functions)});
    }
    // Null for a file not provided or taken away.
    HMODULE Module(const std::string& file) const
    {
        if (MissingLibraries.count(file) != 0) return nullptr;
        for (const TLibrary& library : Libraries)
            if (library.File == file) return library.Module;
        return nullptr;
    }
    bool Provides(HMODULE module) const { return Find(module) != nullptr; }
    // Null for a module not provided, or a function it lacks or that was taken away.
    FARPROC Function(HMODULE module, const std::string& name) const
    {
        const TLibrary* library = Find(module);
        if (library == nullptr || MissingFunctions.count(name) != 0) return nullptr;
        const auto found = library->Functions.find(name);
        return found != library->Functions.end() ? found->second : nullptr;
    }

private:
    struct TLibrary {
        std::string File;
        HMODULE Module;
        TFunctions Functions;
    };
    const TLibrary* Find(HMODULE module) const
    {
        for (const TLibrary& library : Libraries)
            if (library.Module == module) return &library;
        return nullptr;
    }
    std::vector<TLibrary> Libraries;
};

// A fake's entry in its library, under the name the library exports it by.
#define FAKE_EXPORT(name) {#name, FunctionCast<FARPROC>(&Fake##name)}

// A function a fake library hands out. Having no object of its own, it calls
// the member on the fake of the member's class that is current (see TCurrentFake).
template <auto Member>
struct TCurrentFakeFunction;
template <typename Fake, typename Result, typename... Arguments, Result (Fake::*Member)(Arguments...)>
struct TCurrentFakeFunction<Member> {
    static Result WINAPI Call(Arguments... arguments) { return (Fake::Current().*Member)(arguments...); }
};
template <auto Member>
FARPROC CurrentFakeFunction()
{
    return FunctionCast<FARPROC>(&TCurrentFakeFunction<Member>::Call);
}

#endif
