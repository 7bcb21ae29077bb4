#ifndef ENVCHECK_TESTS_E2E_WINEVERSION_H
#define ENVCHECK_TESTS_E2E_WINEVERSION_H

#include <windows.h>

#include <cstring>
#include <string>

#include "e2e/Envcheck.h"
#include "support/TestSupport.h"

// A copy of the program under a name of its own: Wine's per-program version
// setting then reaches only this copy, even when a killed test leaves it behind.
inline const char* const AppDefaults = "Software\\Wine\\AppDefaults\\envcheck_versions.exe";

class TVersionsCopy {
public:
    TVersionsCopy() : Folder(TempPath("versions")), Path(Folder + "\\envcheck_versions.exe")
    {
        CreateDirectoryA(Folder.c_str(), nullptr);
        Copied = CopyFileA(TEnvcheck::ExecutablePath().c_str(), Path.c_str(), FALSE) != FALSE;
    }
    ~TVersionsCopy()
    {
        DeleteFileA(Path.c_str());
        RemoveDirectoryA(Folder.c_str());
    }
    TVersionsCopy(const TVersionsCopy&) = delete;
    TVersionsCopy& operator=(const TVersionsCopy&) = delete;

    const std::string Folder;
    const std::string Path;
    bool Copied;
};

// Wine answers the copy's version calls as the Windows named here.
class TWineVersion {
public:
    explicit TWineVersion(const char* version)
    {
        HKEY key = nullptr;
        RegCreateKeyA(HKEY_CURRENT_USER, AppDefaults, &key);
        RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                       static_cast<DWORD>(strlen(version) + 1));
        RegCloseKey(key);
    }
    ~TWineVersion() { RegDeleteTreeA(HKEY_CURRENT_USER, AppDefaults); }
};

#endif
