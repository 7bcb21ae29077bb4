#ifndef ENVCHECK_INFO_LIBRARYAPI_H
#define ENVCHECK_INFO_LIBRARYAPI_H

#include <windows.h>

// The calls a collector needs to find functions at run time; part of every
// seam that loads a library (see TVersionApi for the pattern).
class TLibraryApi {
public:
    virtual ~TLibraryApi() = default;
    virtual UINT GetSystemDirectoryA(LPSTR buffer, UINT size) = 0;
    virtual HMODULE LoadLibraryExA(LPCSTR path, HANDLE file, DWORD flags) = 0;
    virtual FARPROC GetProcAddress(HMODULE module, LPCSTR name) = 0;
    virtual BOOL FreeLibrary(HMODULE module) = 0;
};

// The Win32 side of those calls, for the Win32 side of any seam built on them.
template <typename Seam>
class TWin32LibraryCalls : public Seam {
public:
    UINT GetSystemDirectoryA(LPSTR buffer, UINT size) override { return ::GetSystemDirectoryA(buffer, size); }
    HMODULE LoadLibraryExA(LPCSTR path, HANDLE file, DWORD flags) override
    {
        return ::LoadLibraryExA(path, file, flags);
    }
    FARPROC GetProcAddress(HMODULE module, LPCSTR name) override { return ::GetProcAddress(module, name); }
    BOOL FreeLibrary(HMODULE module) override { return ::FreeLibrary(module); }
};

#endif
