#include "app/LibrarySearch.h"

#include <windows.h>

#include "info/FunctionCast.h"

namespace {

typedef BOOL(WINAPI* SetDefaultDllDirectoriesFunction)(DWORD);
typedef BOOL(WINAPI* SetDllDirectoryAFunction)(LPCSTR);

}  // namespace

void RestrictLibrarySearch()
{
    HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    if (kernel32 == nullptr) return;
    // Windows 8 and later, and 7 or Vista with their update.
    SetDefaultDllDirectoriesFunction setDefault =
        FunctionCast<SetDefaultDllDirectoriesFunction>(GetProcAddress(kernel32, "SetDefaultDllDirectories"));
    if (setDefault != nullptr) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // XP SP1 and later: an empty string takes the current directory out of the search.
    SetDllDirectoryAFunction setDirectory =
        FunctionCast<SetDllDirectoryAFunction>(GetProcAddress(kernel32, "SetDllDirectoryA"));
    if (setDirectory != nullptr) setDirectory("");
}
