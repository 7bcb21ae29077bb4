#ifndef ENVCHECK_INFO_REGISTRY_H
#define ENVCHECK_INFO_REGISTRY_H

#include <windows.h>

#include <set>
#include <string>

#include "info/RegistryApi.h"

// Read-only reader of one registry key: named values into a buffer it owns,
// and the sorted names of the key's subkeys. A key still open when the reader
// goes, or when it opens another, is closed then.
class TRegistry {
public:
    explicit TRegistry(TRegistryApi& api = Win32RegistryApi());
    virtual ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    // view: 0, or KEY_WOW64_64KEY for the 64-bit registry on 64-bit Windows.
    bool OpenKey(HKEY root, const std::string& subkey, REGSAM view = 0);
    LONG CloseKey();
    bool ReadValue(const std::string& name);
    // A REG_DWORD value of exactly four bytes, and nothing else.
    bool ReadDword(const std::string& name, DWORD& value);
    void EnumKeys();

    // The last value read as the report's text: up to its NUL, never past its size.
    std::string DataText() const;

    DWORD ValueType;
    BYTE* Data;
    DWORD DataSize;
    // As the platform gives them, to be opened again.
    std::set<std::string> SubKeys;

private:
    TRegistryApi& Api;
    std::string SubkeyName;
    HKEY Key;
    std::string ValueName;
};

#endif
