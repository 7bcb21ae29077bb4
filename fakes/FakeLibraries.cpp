#include "fakes/FakeLibraries.h"

#include <utility>

void TFakeLibraries::Provide(const std::string& file, HMODULE module, TFunctions functions)
{
    Libraries.push_back({file, module, std::move(functions)});
}

HMODULE TFakeLibraries::Module(const std::string& file) const
{
    if (MissingLibraries.count(file) != 0) return nullptr;
    for (const TLibrary& library : Libraries)
        if (library.File == file) return library.Module;
    return nullptr;
}

bool TFakeLibraries::Provides(HMODULE module) const { return Find(module) != nullptr; }

FARPROC TFakeLibraries::Function(HMODULE module, const std::string& name) const
{
    const TLibrary* library = Find(module);
    if (library == nullptr || MissingFunctions.count(name) != 0) return nullptr;
    const auto found = library->Functions.find(name);
    return found != library->Functions.end() ? found->second : nullptr;
}

const TFakeLibraries::TLibrary* TFakeLibraries::Find(HMODULE module) const
{
    for (const TLibrary& library : Libraries)
        if (library.Module == module) return &library;
    return nullptr;
}
