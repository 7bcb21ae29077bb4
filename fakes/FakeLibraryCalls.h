#ifndef ENVCHECK_FAKES_FAKELIBRARYCALLS_H
#define ENVCHECK_FAKES_FAKELIBRARYCALLS_H

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "fakes/FakeLibraries.h"
#include "fakes/FaultPlan.h"

// The library calls of a fake seam, the mirror of TWin32LibraryCalls: loads
// come from the libraries the fake provides, and are counted.
template <typename Seam>
class TFakeLibraryCalls : public Seam, public TFakeLibraries {
public:
    std::vector<std::string> LoadedPaths;  // every path asked for
    int Loads = 0;                         // those that loaded
    int Frees = 0;                         // of a provided module, failed or not

    int OpenLibraries() const { return Loads - Frees; }

    UINT GetSystemDirectoryA(LPSTR buffer, UINT size) override
    {
        if (FaultPlan.Fails("GetSystemDirectoryA")) return 0;
        const char directory[] = "C:\\WINDOWS\\system32";
        if (size < sizeof(directory)) return sizeof(directory);
        std::memcpy(buffer, directory, sizeof(directory));
        return sizeof(directory) - 1;
    }
    HMODULE LoadLibraryExA(LPCSTR path, HANDLE, DWORD) override
    {
        LoadedPaths.push_back(path);
        if (FaultPlan.Fails("LoadLibraryExA")) return nullptr;
        const std::string& loaded = LoadedPaths.back();
        HMODULE const module = Module(loaded.substr(loaded.rfind('\\') + 1));
        if (module != nullptr) ++Loads;
        return module;
    }
    FARPROC GetProcAddress(HMODULE module, LPCSTR name) override
    {
        return FaultPlan.Fails("GetProcAddress") ? nullptr : Function(module, name);
    }
    BOOL FreeLibrary(HMODULE module) override
    {
        const bool fails = FaultPlan.Fails("FreeLibrary");
        if (!Provides(module)) return FALSE;
        ++Frees;
        return !fails;
    }
};

#endif
