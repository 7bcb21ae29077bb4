#ifndef ENVCHECK_FAKES_SYSTEM_FAKESYSTEM_H
#define ENVCHECK_FAKES_SYSTEM_FAKESYSTEM_H

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "fakes/CurrentFake.h"
#include "fakes/FakeLibraries.h"
#include "fakes/FaultPlan.h"
#include "info/RegistryApi.h"
#include "info/system/CpuidApi.h"
#include "info/system/SystemApi.h"

// A whole machine for the system collector: registry, CPUID and kernel32.
class TFakeSystem : public TSystemApi, public TRegistryApi, public TCpuidApi, public TFakeLibraries,
                    public TCurrentFake<TFakeSystem> {
public:
    TFakeSystem();

    struct TValue {
        DWORD Type;
        std::string Bytes;
    };
    // Key path (under HKEY_LOCAL_MACHINE) -> value name -> value.
    std::map<std::string, std::map<std::string, TValue>> Keys;
    std::set<std::string> Unopenable;  // listed, but refused
    // 64-bit Windows: a 32-bit view of SOFTWARE is its WOW6432Node copy.
    bool Redirects = false;

    bool Cpuid_ = true;
    std::map<unsigned, std::vector<unsigned>> Leaves;

    SYSTEM_INFO Info = {};
    MEMORYSTATUSEX MemoryEx = {};
    MEMORYSTATUS Memory = {};

    std::string ComputerName = "PLAYER-PC";
    std::string UserName = "taro";
    std::string SystemDirectory = "C:\\WINDOWS\\system32";
    std::string WindowsDirectory = "C:\\WINDOWS";
    std::map<std::string, std::string> Environment = {{"OS", "Windows_NT"}, {"TEMP", "C:\\Temp"}, {"PATH", "C:\\"}};
    bool NamesFail = false;

    void SetString(const std::string& key, const std::string& name, const std::string& text, bool terminated = true)
    {
        Keys[key][name] = {REG_SZ, terminated ? text + '\0' : text};
    }
    void SetDword(const std::string& key, const std::string& name, DWORD value)
    {
        Keys[key][name] = {REG_DWORD, std::string(reinterpret_cast<const char*>(&value), 4)};
    }
    void SetQword(const std::string& key, const std::string& name, ULONGLONG value)
    {
        Keys[key][name] = {REG_QWORD, std::string(reinterpret_cast<const char*>(&value), 8)};
    }

    // Registry.
    LONG RegOpenKeyExA(HKEY root, LPCSTR name, DWORD, REGSAM access, PHKEY key) override
    {
        if (FaultPlan.Fails("RegOpenKeyExA")) return ERROR_ACCESS_DENIED;
        std::string subkey = name;
        if (Redirects && (access & KEY_WOW64_64KEY) == 0 && subkey.compare(0, 9, "SOFTWARE\\") == 0)
            subkey.insert(9, "WOW6432Node\\");
        if (root != HKEY_LOCAL_MACHINE || Keys.count(subkey) == 0) return ERROR_FILE_NOT_FOUND;
        if (Unopenable.count(subkey) != 0) return ERROR_ACCESS_DENIED;
        Open.push_back(subkey);
        *key = reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x1000 + Open.size()));
        return ERROR_SUCCESS;
    }
    LONG RegCloseKey(HKEY) override
    {
        const bool fails = FaultPlan.Fails("RegCloseKey");
        ++Closes;
        return fails ? ERROR_INVALID_HANDLE : ERROR_SUCCESS;
    }
    LONG RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size) override
    {
        if (FaultPlan.Fails("RegQueryValueExA")) return ERROR_ACCESS_DENIED;
        const std::string* path = PathOf(key);
        if (path == nullptr || Keys[*path].count(name) == 0) return ERROR_FILE_NOT_FOUND;
        const TValue& value = Keys[*path][name];
        if (type != nullptr) *type = value.Type;
        if (data == nullptr) {
            *size = static_cast<DWORD>(value.Bytes.size());
            return ERROR_SUCCESS;
        }
        if (*size < value.Bytes.size()) {
            *size = static_cast<DWORD>(value.Bytes.size());
            return ERROR_MORE_DATA;
        }
        std::memcpy(data, value.Bytes.data(), value.Bytes.size());
        *size = static_cast<DWORD>(value.Bytes.size());
        return ERROR_SUCCESS;
    }
    LONG RegQueryInfoKeyA(HKEY key, LPSTR, LPDWORD, LPDWORD, LPDWORD subKeys, LPDWORD longestName, LPDWORD,
                          LPDWORD, LPDWORD, LPDWORD, LPDWORD, PFILETIME) override
    {
        if (FaultPlan.Fails("RegQueryInfoKeyA")) return ERROR_ACCESS_DENIED;
        const std::string* path = PathOf(key);
        if (path == nullptr) return ERROR_INVALID_HANDLE;
        const std::vector<std::string> names = SubkeysOf(*path);
        if (subKeys != nullptr) *subKeys = static_cast<DWORD>(names.size());
        size_t longest = 0;
        for (const std::string& name : names) longest = std::max(longest, name.size());
        if (longestName != nullptr) *longestName = static_cast<DWORD>(longest);
        return ERROR_SUCCESS;
    }
    LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD length, LPDWORD, LPSTR, LPDWORD, PFILETIME) override
    {
        if (FaultPlan.Fails("RegEnumKeyExA")) return ERROR_ACCESS_DENIED;
        const std::string* path = PathOf(key);
        if (path == nullptr) return ERROR_INVALID_HANDLE;
        const std::vector<std::string> names = SubkeysOf(*path);
        if (index >= names.size()) return ERROR_NO_MORE_ITEMS;
        if (names[index].size() + 1 > *length) return ERROR_MORE_DATA;
        std::memcpy(name, names[index].c_str(), names[index].size() + 1);
        *length = static_cast<DWORD>(names[index].size());
        return ERROR_SUCCESS;
    }
    // The direct subkeys of a key: every stored key one level below it.
    std::vector<std::string> SubkeysOf(const std::string& path) const
    {
        std::vector<std::string> names;
        for (const auto& key : Keys) {
            const std::string& full = key.first;
            if (full.size() > path.size() + 1 && full.compare(0, path.size(), path) == 0 && full[path.size()] == '\\' &&
                full.find('\\', path.size() + 1) == std::string::npos)
                names.push_back(full.substr(path.size() + 1));
        }
        return names;
    }

    // CPUID: leaves not given read as zeros.
    bool HasCpuid() override { return Cpuid_; }
    void Cpuid(unsigned leaf, unsigned registers[4]) override
    {
        Cpuids.push_back(leaf);
        std::vector<unsigned> values = Leaves.count(leaf) ? Leaves[leaf] : std::vector<unsigned>(4, 0);
        for (int i = 0; i < 4; ++i) registers[i] = values[static_cast<size_t>(i)];
    }
    unsigned long long Xgetbv(unsigned index) override
    {
        Xgetbvs.push_back(index);
        return index == 0 ? Xcr0 : 0;
    }
    void SetVendor(const char* vendor)
    {
        unsigned words[3];
        std::memcpy(words, vendor, 12);
        Leaves[0] = {1, words[0], words[2], words[1]};
    }
    void SetBrand(const std::string& brand)
    {
        char text[48] = {};
        std::memcpy(text, brand.data(), std::min<size_t>(brand.size(), 48));
        Leaves[0x80000000u] = {0x80000004u, 0, 0, 0};
        for (unsigned leaf = 0; leaf < 3; ++leaf) {
            unsigned words[4];
            std::memcpy(words, text + 16 * leaf, 16);
            Leaves[0x80000002u + leaf] = {words[0], words[1], words[2], words[3]};
        }
    }

    // kernel32 and advapi32.
    void GetSystemInfo(LPSYSTEM_INFO info) override { *info = Info; }
    HMODULE GetModuleHandleA(LPCSTR name) override
    {
        return FaultPlan.Fails("GetModuleHandleA") ? nullptr : Module(name);
    }
    FARPROC GetProcAddress(HMODULE module, LPCSTR name) override
    {
        return FaultPlan.Fails("GetProcAddress") ? nullptr : Function(module, name);
    }
    void GlobalMemoryStatus(LPMEMORYSTATUS status) override
    {
        BasicMemoryLength = status->dwLength;
        *status = Memory;
    }
    int lstrcmpiA(LPCSTR first, LPCSTR second) override { return ::lstrcmpiA(first, second); }
    BOOL GetComputerNameA(LPSTR buffer, LPDWORD size) override
    {
        return !FaultPlan.Fails("GetComputerNameA") && Name(ComputerName, buffer, size);
    }
    BOOL GetUserNameA(LPSTR buffer, LPDWORD size) override
    {
        return !FaultPlan.Fails("GetUserNameA") && Name(UserName, buffer, size);
    }
    UINT GetSystemDirectoryA(LPSTR buffer, UINT size) override
    {
        return FaultPlan.Fails("GetSystemDirectoryA") ? 0 : Directory(SystemDirectory, buffer, size);
    }
    UINT GetWindowsDirectoryA(LPSTR buffer, UINT size) override
    {
        return FaultPlan.Fails("GetWindowsDirectoryA") ? 0 : Directory(WindowsDirectory, buffer, size);
    }
    DWORD ExpandEnvironmentStringsA(LPCSTR source, LPSTR buffer, DWORD size) override
    {
        if (FaultPlan.Fails("ExpandEnvironmentStringsA")) return 0;
        std::string text = source;
        const auto open = text.find('%');
        const auto close = text.rfind('%');
        const std::string name = text.substr(open + 1, close - open - 1);
        if (Environment.count(name)) text = text.substr(0, open) + Environment[name];
        if (text.size() + 1 <= size) std::memcpy(buffer, text.c_str(), text.size() + 1);
        return static_cast<DWORD>(text.size() + 1);
    }

    std::vector<std::string> Open;
    int Closes = 0;
    std::vector<unsigned> Cpuids;
    unsigned long long Xcr0 = 0;  // the state the operating system saves
    std::vector<unsigned> Xgetbvs;
    DWORD BasicMemoryLength = 0;
    DWORD ExMemoryLength = 0;

private:
    const std::string* PathOf(HKEY key) const
    {
        const size_t index = reinterpret_cast<uintptr_t>(key) - 0x1001;
        return index < Open.size() ? &Open[index] : nullptr;
    }
    BOOL Name(const std::string& name, LPSTR buffer, LPDWORD size)
    {
        if (NamesFail || name.size() + 1 > *size) return FALSE;
        std::memcpy(buffer, name.c_str(), name.size() + 1);
        *size = static_cast<DWORD>(name.size());
        return TRUE;
    }
    UINT Directory(const std::string& path, LPSTR buffer, UINT size)
    {
        if (NamesFail) return 0;
        if (path.size() + 1 > size) return static_cast<UINT>(path.size() + 1);
        std::memcpy(buffer, path.c_str(), path.size() + 1);
        return static_cast<UINT>(path.size());
    }
};

#endif
