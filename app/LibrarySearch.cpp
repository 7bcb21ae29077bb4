#include "app/LibrarySearch.h"

#include <windows.h>

#include "info/Kernel32Functions.h"

void RestrictLibrarySearch()
{
    TWin32ModuleCalls<TModuleApi> calls;
    const TLoadedModule kernel32(calls, "kernel32.dll");
    // Windows 8 and later, and 7 or Vista with their update.
    const auto setDefault = FindFunction<Kernel32::SetDefaultDllDirectories>(kernel32);
    if (setDefault != nullptr) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // XP SP1 and later: an empty string takes the current directory out of the search.
    const auto setDirectory = FindFunction<Kernel32::SetDllDirectoryA>(kernel32);
    if (setDirectory != nullptr) setDirectory("");
}
