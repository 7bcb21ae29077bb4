#ifndef ENVCHECK_INFO_SYSTEMLIBRARY_H
#define ENVCHECK_INFO_SYSTEMLIBRARY_H

#include <windows.h>

#include "info/LibraryApi.h"

// A library loaded from the Windows system directory by its full path, never
// from the program's folder or the current directory; freed on destruction.
class TSystemLibrary {
public:
    TSystemLibrary(TLibraryApi& api, const char* fileName);
    ~TSystemLibrary();
    TSystemLibrary(const TSystemLibrary&) = delete;
    TSystemLibrary& operator=(const TSystemLibrary&) = delete;

    bool IsLoaded() const { return Module != nullptr; }
    // Null when the library or the function is missing.
    FARPROC Find(const char* name) const;

private:
    TLibraryApi& Api;
    HMODULE Module;
};

#endif
