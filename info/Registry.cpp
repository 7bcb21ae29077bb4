#include "info/Registry.h"

#include <cstring>
#include <vector>

TRegistryApi& Win32RegistryApi()
{
    static TWin32RegistryApi api;
    return api;
}

TRegistry::TRegistry(TRegistryApi& api)
    : ValueType(0), Data(nullptr), DataSize(0), Api(api), Root(nullptr), Key(nullptr)
{
}

TRegistry::~TRegistry() { delete[] Data; }

bool TRegistry::OpenKey(HKEY root, const std::string& subkey)
{
    Root = root;
    SubkeyName = subkey;
    return Api.RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ, &Key) == ERROR_SUCCESS;
}

LONG TRegistry::CloseKey() { return Api.RegCloseKey(Key); }

LONG TRegistry::FlushKey() { return Api.RegFlushKey(Root); }

bool TRegistry::ReadValue(const std::string& name)
{
    ValueName = name;
    DWORD size = 0;
    if (Api.RegQueryValueExA(Key, name.c_str(), nullptr, &ValueType, nullptr, &size) != ERROR_SUCCESS) return false;
    delete[] Data;
    Data = new BYTE[size == 0 ? 1 : size];
    DataSize = size;
    DWORD read = size;
    Api.RegQueryValueExA(Key, name.c_str(), nullptr, &ValueType, Data, &read);
    // The value may have shrunk between the two calls; it can never have grown past the buffer.
    if (read < DataSize) DataSize = read;
    return true;
}

void TRegistry::EnumKeys()
{
    SubKeys.clear();
    DWORD subKeys = 0, longestName = 0, values = 0, longestValueName = 0, longestValue = 0;
    FILETIME written = {};
    Api.RegQueryInfoKeyA(Key, nullptr, nullptr, nullptr, &subKeys, &longestName, nullptr, &values, &longestValueName,
                         &longestValue, nullptr, &written);
    std::vector<char> name(static_cast<size_t>(longestName) + 1, '\0');
    // Ends at the list's end, at any error but a name too long for the buffer, and
    // after the number of subkeys reported (a key that was never opened reports none).
    LONG result = ERROR_SUCCESS;
    for (DWORD index = 0; index < subKeys && result != ERROR_NO_MORE_ITEMS; ++index) {
        DWORD length = static_cast<DWORD>(name.size());
        result = Api.RegEnumKeyExA(Key, index, name.data(), &length, nullptr, nullptr, nullptr, &written);
        if (result == ERROR_SUCCESS)
            SubKeys.insert(std::string(name.data(), strnlen(name.data(), name.size())));
        else if (result != ERROR_MORE_DATA)
            break;
    }
}

std::string TRegistry::DataText() const
{
    if (Data == nullptr) return std::string();
    const char* text = reinterpret_cast<const char*>(Data);
    return std::string(text, strnlen(text, DataSize));
}
