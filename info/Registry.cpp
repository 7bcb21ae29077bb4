#include "info/Registry.h"

#include <cstring>
#include <new>
#include <vector>

#include "info/BoundedText.h"
#include "info/PlatformBuffer.h"

TRegistry::TRegistry(TRegistryApi& api) : ValueType(0), Data(nullptr), DataSize(0), Api(api), Key(nullptr) {}

TRegistry::~TRegistry()
{
    if (Key != nullptr) Api.RegCloseKey(Key);
    delete[] Data;
}

bool TRegistry::OpenKey(HKEY root, const std::string& subkey, REGSAM view)
{
    SubkeyName = subkey;
    if (Key != nullptr) CloseKey();
    HKEY opened = nullptr;
    if (Api.RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ | view, &opened) != ERROR_SUCCESS) return false;
    Key = opened;
    return true;
}

LONG TRegistry::CloseKey()
{
    const LONG result = Api.RegCloseKey(Key);
    Key = nullptr;
    return result;
}

bool TRegistry::ReadDword(const std::string& name, DWORD& value)
{
    if (!ReadValue(name) || ValueType != REG_DWORD || DataSize != sizeof(DWORD)) return false;
    CopyMemory(&value, Data, sizeof(DWORD));
    return true;
}

bool TRegistry::ReadValue(const std::string& name)
{
    ValueName = name;
    DWORD size = 0;
    if (Api.RegQueryValueExA(Key, name.c_str(), nullptr, &ValueType, nullptr, &size) != ERROR_SUCCESS) return false;
    // A size beyond any real value is refused instead of allocated.
    if (size > TPlatformBuffer::Limit) return false;
    BYTE* data = new (std::nothrow) BYTE[size == 0 ? 1 : size]();
    if (data == nullptr) return false;
    DWORD read = size;
    // A failed read wrote nothing to keep: the previous data stays.
    if (Api.RegQueryValueExA(Key, name.c_str(), nullptr, &ValueType, data, &read) != ERROR_SUCCESS) {
        delete[] data;
        return false;
    }
    delete[] Data;
    Data = data;
    // The value may have shrunk between the two calls; it can never have grown past the buffer.
    DataSize = read < size ? read : size;
    return true;
}

void TRegistry::EnumKeys()
{
    SubKeys.clear();
    DWORD subKeys = 0, longestName = 0, values = 0, longestValueName = 0, longestValue = 0;
    FILETIME written = {};
    Api.RegQueryInfoKeyA(Key, nullptr, nullptr, nullptr, &subKeys, &longestName, nullptr, &values, &longestValueName,
                         &longestValue, nullptr, &written);
    // A key name has at most 255 characters (510 bytes in a double-byte code page):
    // a longer claim is not allocated, and a longer name is skipped as ERROR_MORE_DATA.
    const DWORD LongestKeyName = 510;
    if (longestName > LongestKeyName) longestName = LongestKeyName;
    std::vector<char> name(static_cast<size_t>(longestName) + 1, '\0');
    // Ends at the list's end, at any error but a name too long for the buffer, and
    // after the number of subkeys reported (a key that was never opened reports none).
    LONG result = ERROR_SUCCESS;
    for (DWORD index = 0; index < subKeys && result != ERROR_NO_MORE_ITEMS; ++index) {
        DWORD length = static_cast<DWORD>(name.size());
        result = Api.RegEnumKeyExA(Key, index, name.data(), &length, nullptr, nullptr, nullptr, &written);
        if (result == ERROR_SUCCESS)
            SubKeys.insert(BoundedText(name.data(), name.size()));
        else if (result != ERROR_MORE_DATA)
            break;
    }
}

std::string TRegistry::DataText() const
{
    if (Data == nullptr) return std::string();
    const char* text = reinterpret_cast<const char*>(Data);
    return PlatformText(text, DataSize);
}
