#include "info/SystemLibrary.h"

#include <string>

TSystemLibrary::TSystemLibrary(TLibraryApi& api, const char* fileName) : Api(api), Module(nullptr)
{
    char directory[MAX_PATH + 1] = {};
    const UINT length = Api.GetSystemDirectoryA(directory, MAX_PATH);
    // No system directory, no library: a bare name would search the program's folder.
    if (length == 0 || length >= MAX_PATH) return;
    std::string path(directory, length);
    if (path[path.size() - 1] != '\\') path += '\\';
    path += fileName;
    // The altered search path makes the library's own imports come from its folder too.
    Module = Api.LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

TSystemLibrary::~TSystemLibrary()
{
    if (Module != nullptr) Api.FreeLibrary(Module);
}

FARPROC TSystemLibrary::Find(const char* name) const
{
    return Module != nullptr ? Api.GetProcAddress(Module, name) : nullptr;
}
