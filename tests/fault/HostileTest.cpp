#include <gtest/gtest.h>

#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "fault/FaultRun.h"

// Platforms that answer with what no real one would: unterminated texts,
// counts and sizes beyond their data, lists that end early. Every run must
// still finish with the invariants of a normal one.

namespace {

const DWORD Huge = 0xFFFFFFF0;

// The elements opening with the prefix and the fill byte: at most `size` of it, then the tail.
void CheckFilled(const Lines& lines, const std::string& prefix, char fill, size_t size, const std::string& tail)
{
    size_t found = 0;
    for (const std::string& element : lines) {
        if (element.compare(0, prefix.size(), prefix) != 0 || element.size() == prefix.size() ||
            element[prefix.size()] != fill)
            continue;
        ++found;
        const size_t end = element.find_first_not_of(fill, prefix.size());
        const size_t run = (end == std::string::npos ? element.size() : end) - prefix.size();
        EXPECT_LE(run, size) << prefix;
        EXPECT_EQ(tail, element.substr(prefix.size() + run).substr(0, 80)) << "read past the buffer: " << prefix;
    }
    EXPECT_NE(0u, found) << "no element " << prefix << fill;
}

// Elements a case's platform filled (see CheckFilled).
struct TFilled {
    int Case;
    const char* Prefix;
    char Fill;
    size_t Size;
    const char* Tail;
};

// Runs each case on a hostile platform made for it, checking the filled elements the table gives for it.
template <typename Hostile, typename Run>
void EachCase(const char* collector, const std::vector<const char*>& cases, Run run,
              const std::vector<TFilled>& filled = {})
{
    for (size_t c = 0; c < cases.size(); ++c) {
        SCOPED_TRACE(std::string(collector) + ": " + cases[c]);
        Hostile platform(static_cast<int>(c));
        const Lines lines = run(platform);
        for (const TFilled& check : filled)
            if (check.Case == static_cast<int>(c)) CheckFilled(lines, check.Prefix, check.Fill, check.Size, check.Tail);
    }
    std::cout << "[ hostile  ] " << collector << ": " << cases.size() << " cases\n";
}

void Fill(void* buffer, size_t size, char fill) { std::memset(buffer, fill, size); }

class THostileDrive : public TFakeDriveApi {
public:
    explicit THostileDrive(int hostile) : Case(hostile)
    {
        ThreeDrives(*this);
        for (auto& volume : Volumes) {
            if (Case == 9) volume.second.TotalBytes = volume.second.FreeBytes = ~0ULL;
            if (Case == 10) volume.second.SectorsPerCluster = volume.second.BytesPerSector = volume.second.FreeClusters =
                volume.second.TotalClusters = 0xFFFFFFFF;
        }
        if (Case == 10) MissingFunctions.insert("GetDiskFreeSpaceExA");
    }
    DWORD GetLogicalDriveStringsA(DWORD length, LPSTR buffer) override
    {
        const DWORD written = TFakeDriveApi::GetLogicalDriveStringsA(length, buffer);
        switch (Case) {
        case 0: Fill(buffer, length, 'X'); return length;
        case 1: return Huge;
        case 2: return 0xFFFFFFFF;
        case 3: Fill(buffer + List.size(), length - List.size(), 'G'); return length;
        case 4: return 5;
        case 5: return length + 1;
        case 6: return 0;
        default: return written;
        }
    }
    BOOL GetVolumeInformationA(LPCSTR root, LPSTR volumeName, DWORD volumeNameSize, LPDWORD serialNumber,
                               LPDWORD maximumComponentLength, LPDWORD fileSystemFlags, LPSTR fileSystemName,
                               DWORD fileSystemNameSize) override
    {
        if (Case != 7)
            return TFakeDriveApi::GetVolumeInformationA(root, volumeName, volumeNameSize, serialNumber,
                                                        maximumComponentLength, fileSystemFlags, fileSystemName,
                                                        fileSystemNameSize);
        Fill(volumeName, volumeNameSize, 'V');
        Fill(fileSystemName, fileSystemNameSize, 'F');
        *serialNumber = *maximumComponentLength = *fileSystemFlags = 0xFFFFFFFF;
        return TRUE;
    }
    UINT GetDriveTypeA(LPCSTR root) override { return Case == 8 ? 0xFFFFFFFF : TFakeDriveApi::GetDriveTypeA(root); }
    const int Case;
};

// Registry cases serve the system and the network collectors alike.
class THostileSystem : public TFakeSystem {
public:
    explicit THostileSystem(int hostile) : Case(hostile) {}
    BOOL GetComputerNameA(LPSTR buffer, LPDWORD size) override
    {
        return Case == 0 ? (Fill(buffer, *size, 'C'), TRUE) : TFakeSystem::GetComputerNameA(buffer, size);
    }
    BOOL GetUserNameA(LPSTR buffer, LPDWORD size) override
    {
        return Case == 0 ? (Fill(buffer, *size, 'U'), TRUE) : TFakeSystem::GetUserNameA(buffer, size);
    }
    UINT GetSystemDirectoryA(LPSTR buffer, UINT size) override
    {
        return Case == 0 ? (Fill(buffer, size, 'S'), size - 1) : TFakeSystem::GetSystemDirectoryA(buffer, size);
    }
    UINT GetWindowsDirectoryA(LPSTR buffer, UINT size) override
    {
        return Case == 0 ? (Fill(buffer, size, 'W'), size - 1) : TFakeSystem::GetWindowsDirectoryA(buffer, size);
    }
    DWORD ExpandEnvironmentStringsA(LPCSTR source, LPSTR buffer, DWORD size) override
    {
        return Case == 0 ? (Fill(buffer, size, 'X'), size) : TFakeSystem::ExpandEnvironmentStringsA(source, buffer, size);
    }
    LONG RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size) override
    {
        const DWORD given = *size;
        const LONG result = TFakeSystem::RegQueryValueExA(key, name, reserved, type, data, size);
        if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA) return result;  // missing stays missing
        switch (Case) {
        case 1: *size = Huge; return ERROR_SUCCESS;
        case 2: *size = 0; return ERROR_SUCCESS;
        case 3: if (data == nullptr) break; *size = given + 100; return ERROR_MORE_DATA;
        case 4: if (data == nullptr) break; Fill(data, given, 'R'); *size = given; return ERROR_SUCCESS;
        case 5: if (data != nullptr && result == ERROR_SUCCESS) *size = Huge; break;
        default: break;
        }
        return result;
    }
    LONG RegQueryInfoKeyA(HKEY key, LPSTR className, LPDWORD classLength, LPDWORD reserved, LPDWORD subKeys,
                          LPDWORD longestName, LPDWORD longestClass, LPDWORD values, LPDWORD longestValueName,
                          LPDWORD longestValue, LPDWORD security, PFILETIME written) override
    {
        const LONG result = TFakeSystem::RegQueryInfoKeyA(key, className, classLength, reserved, subKeys, longestName,
                                                          longestClass, values, longestValueName, longestValue,
                                                          security, written);
        if (result == ERROR_SUCCESS && (Case == 6 || Case == 7)) *subKeys = Huge;
        if (result == ERROR_SUCCESS && Case == 8) *longestName = Huge;
        if (result == ERROR_SUCCESS && Case == 9) *longestName = 0xFFFFFFFF;
        return result;
    }
    LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD length, LPDWORD reserved, LPSTR className,
                       LPDWORD classLength, PFILETIME written) override
    {
        const DWORD given = *length;
        const LONG result =
            TFakeSystem::RegEnumKeyExA(key, index, name, length, reserved, className, classLength, written);
        if (Case == 7 && result == ERROR_NO_MORE_ITEMS) return ERROR_ACCESS_DENIED;
        if (Case == 10 && result == ERROR_SUCCESS) Fill(name, given, 'K');
        if (Case == 11 && index > 0) return ERROR_NO_MORE_ITEMS;
        return result;
    }
    const int Case;
};

const std::vector<const char*> RegistryCases = {
    "names, directories and expansions fill their buffers without terminator",
    "values claim a size far beyond any buffer",
    "values claim size 0",
    "values grow between the two reads",
    "values fill the buffer without terminator",
    "reads claim more than they were given",
    "subkey count far beyond the subkeys, the listing ending past them",
    "subkey count far beyond the subkeys, the listing failing past them",
    "longest subkey name far beyond any buffer",
    "longest subkey name 0xFFFFFFFF",
    "subkey names fill the buffer without terminator",
    "subkey list that ends early",
};

class THostileDirectX : public TFakeApi {
public:
    explicit THostileDirectX(int hostile) : Case(hostile)
    {
        DirectXMachine(*this);
        TFakeContainer& root = Provider.Root;
        for (TFakeContainer* list : {&root.Child(L"DxDiag_DirectSound").Child(L"DxDiag_SoundDevices"),
                                     &root.Child(L"DxDiag_DisplayDevices"), &root.Child(L"DxDiag_DirectXFiles")}) {
            if (Case == 0) list->ClaimedChildren = Huge;
            if (Case == 1) list->FillNames = true;
        }
        if (Case == 0) root.Child(L"DxDiag_DisplayDevices").Children.clear();
        if (Case == 2) {
            TFakeContainer& system = root.Child(L"DxDiag_SystemInfo");
            system.SetText(L"szOSEnglish", std::wstring(3000, L'\x3042'));
            system.SetText(L"szBuildLab", L"xx" + std::wstring(700, L'\x6F22'));
            system.SetText(L"szCSDVersion", std::wstring(L"ab\0cd", 5));
        }
        if (Case == 7) {
            Fill(Direct3D.Identifier.Driver, sizeof(Direct3D.Identifier.Driver), 'a');
            Fill(Direct3D.Identifier.Description, sizeof(Direct3D.Identifier.Description), 'a');
        }
    }
    int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH wide, int wideLength, LPSTR narrow, int narrowSize,
                            LPCCH defaultChar, LPBOOL usedDefaultChar) override
    {
        if (Case == 3 && narrow == nullptr) return 0x7FFFFFF0;
        if (Case == 4 && narrow == nullptr) return 0;
        if (Case == 5 && narrow != nullptr) return Fill(narrow, static_cast<size_t>(narrowSize), 'w'), 0x7FFFFFF0;
        return TFakeApi::WideCharToMultiByte(codePage, flags, wide, wideLength, narrow, narrowSize, defaultChar,
                                             usedDefaultChar);
    }
    int StringFromGUID2(REFGUID guid, LPOLESTR text, int size) override
    {
        if (Case != 6) return TFakeApi::StringFromGUID2(guid, text, size);
        for (int i = 0; i < size; ++i) text[i] = L'g';
        return size;
    }
    const int Case;
};

class THostileProcess : public TFakeProcessApi {
public:
    explicit THostileProcess(int hostile) : Case(hostile)
    {
        ProcessMachine(*this);
        if (Case == 0) {
            Processes.push_back({500, std::string(300, 'Z')});
            Modules[500] = {{std::string(300, 'Z'), std::string(400, 'Y')}};
            Modules[4] = {{"System", std::string(400, 'Y')}};
        }
        if (Case == 4) Tasks[100].push_back({0x20, std::string(400, 'T')});
        if (Case == 6) Processes = {{0xFFFFFFFF, "max.exe"}, {0, ""}};
    }
    BOOL QueryImage(HANDLE process, DWORD flags, LPSTR name, PDWORD size) override
    {
        const DWORD given = *size;
        const BOOL found = TFakeProcessApi::QueryImage(process, flags, name, size);
        if (!found || Case < 1 || Case > 3) return found;
        Fill(name, given, 'q');
        *size = Case == 1 ? given : Case == 2 ? Huge : 0;
        return TRUE;
    }
    BOOL ProcessStep(HANDLE snapshot, LPPROCESSENTRY32 entry, bool first) override
    {
        return Case == 5 && !first ? FALSE : TFakeProcessApi::ProcessStep(snapshot, entry, first);
    }
    const int Case;
};

class THostileService : public TFakeServiceApi {
public:
    explicit THostileService(int hostile) : Case(hostile)
    {
        ServiceMachine(*this);
        if (Case == 0) ClaimedCount = Huge;
        if (Case == 3) Growth = 1000;
        if (Case == 6) Services[SERVICE_WIN32][0].State = 0xFFFFFFFF;
    }
    BOOL Enumerate(SC_HANDLE manager, DWORD type, DWORD state, LPBYTE buffer, DWORD size, LPDWORD needed,
                   LPDWORD returned) override
    {
        if (Case == 7 && buffer == nullptr) return *needed = 0, *returned = 5, TRUE;
        if (Case == 8 && buffer != nullptr && size < 64) return *returned = Huge, TRUE;
        if (!TFakeServiceApi::Enumerate(manager, type, state, buffer, size, needed, returned)) {
            if (Case == 1) *needed = Huge;
            if (Case == 2) *needed = 0;
            if (Case == 8) *needed = 1;
            return FALSE;
        }
        auto* records = reinterpret_cast<ENUM_SERVICE_STATUS_PROCESSA*>(buffer);
        for (DWORD i = 0; Case == 4 && i < *returned; ++i) {
            records[i].lpDisplayName = reinterpret_cast<LPSTR>(1);
            records[i].lpServiceName = reinterpret_cast<LPSTR>(buffer + size);
        }
        if (Case == 5 && *returned > 0) {
            BYTE* last = reinterpret_cast<BYTE*>(records[*returned - 1].lpServiceName);
            Fill(last, static_cast<size_t>(buffer + size - last), 'T');
        }
        return TRUE;
    }
    const int Case;
};

class THostileNetwork : public TFakeNetworkApi {
public:
    explicit THostileNetwork(int hostile) : Case(hostile)
    {
        NetworkMachine(*this, Registry);
        if (Case == 0) ClaimedParamsSize = Huge;
        for (IP_ADAPTER_INFO& adapter : Adapters)
            if (Case == 8) adapter.AddressLength = 0xFFFFFFFF;
        if (Case == 9) Interfaces = Huge, Adapters.clear();
    }
    DWORD GetNetworkParams(PFIXED_INFO info, PULONG size) override
    {
        if (Case == 1 && ParamsCalls++ == 0) return *size = 0, ERROR_BUFFER_OVERFLOW;
        const DWORD result = TFakeNetworkApi::GetNetworkParams(info, size);
        if (result != ERROR_SUCCESS) return result;
        if (Case == 2) {
            Fill(info->HostName, sizeof(info->HostName), 'h');
            Fill(info->DomainName, sizeof(info->DomainName), 'd');
            for (PIP_ADDR_STRING server = &info->DnsServerList; server != nullptr; server = server->Next)
                Fill(server->IpAddress.String, sizeof(server->IpAddress.String), 's');
        }
        if (Case == 3) info->DnsServerList.Next = &info->DnsServerList;
        if (Case == 4)
            info->DnsServerList.Next = reinterpret_cast<PIP_ADDR_STRING>(reinterpret_cast<BYTE*>(info) + *size - 8);
        return result;
    }
    ULONG GetAdaptersInfo(PIP_ADAPTER_INFO info, PULONG size) override
    {
        if (Case == 5 && info == nullptr) return *size = Huge, ERROR_BUFFER_OVERFLOW;
        if (Case == 6 && info == nullptr) return *size = 1, ERROR_BUFFER_OVERFLOW;
        if (Case == 6) return *info = Adapters[0], info->Next = nullptr, ERROR_SUCCESS;  // a whole record all the same
        const ULONG result = TFakeNetworkApi::GetAdaptersInfo(info, size);
        if (result != ERROR_SUCCESS) return result;
        for (PIP_ADAPTER_INFO adapter = info; Case == 2 && adapter != nullptr; adapter = adapter->Next) {
            Fill(adapter->AdapterName, sizeof(adapter->AdapterName), 'n');
            Fill(adapter->Description, sizeof(adapter->Description), 'D');
            Fill(adapter->IpAddressList.IpAddress.String, sizeof(adapter->IpAddressList.IpAddress.String), 'i');
        }
        if (Case == 7) info[0].Next = &info[0], info[1].Next = info - 1;
        if (Case == 4) info[0].Next = reinterpret_cast<PIP_ADAPTER_INFO>(reinterpret_cast<BYTE*>(info) + 8);
        return result;
    }
    const int Case;
    TFakeSystem Registry;
};

}  // namespace

TEST(HostileTest, Drive)
{
    EachCase<THostileDrive>(
        "drive",
        {"list fills the whole buffer without terminator", "list length far beyond any buffer",
         "list length 0xFFFFFFFF", "list length beyond its data, the rest unterminated",
         "list that ends early, inside a root", "list that grows on every call", "list written with length 0",
         "volume texts fill their buffers without terminator", "drive type beyond the table",
         "free space at its limits", "cluster counts at their limits"},
        RunDrive,
        {{0, "Drive : ", 'X', 1024, "\n"}, {3, "Drive : ", 'G', 1024, "\n"}, {7, " VolumeName: ", 'V', 511, "\n"},
         {7, " FileSystem: ", 'F', 511, "\n"}});
}

TEST(HostileTest, System)
{
    for (bool nt4 : {true, false}) {
        const OsVersionRecord version =
            WindowsVersion(VER_PLATFORM_WIN32_NT, nt4 ? 4 : 5, nt4 ? 0 : 1, 2600, nt4 ? "Service Pack 6" : "", !nt4);
        EachCase<THostileSystem>(
            nt4 ? "system on NT 4.0 SP6" : "system on XP", RegistryCases,
            [&](THostileSystem& machine) {
                SystemMachine(machine);
                return RunSystem(machine, version);
            },
            {{0, "Computer name:  ", 'C', 1024, "\n"}, {0, "User name:  ", 'U', 1024, "\n"},
             {0, "System directory:  ", 'S', 261, " \n"}, {0, "Windows directory:  ", 'W', 261, " \n"},
             {0, "  ", 'X', 1024, "\n"}});
    }
}

TEST(HostileTest, DirectX)
{
    EachCase<THostileDirectX>(
        "directx",
        {"child counts far beyond the children, listing failing past them",
         "child names fill their buffer without terminator", "texts far longer than any buffer",
         "conversion asks for far more than any buffer", "conversion asks for nothing",
         "conversion fills its buffer without terminator, claiming far more",
         "GUID text fills its buffer without terminator", "adapter texts fill their fields without terminator"},
        RunDirectX,
        {{6, " DeviceIdentifier : ", 'g', 511, "\n"}, {7, " Driver Name : ", 'a', 512, "\n"},
         {7, " Description : ", 'a', 512, "\n"}});
}

TEST(HostileTest, Process)
{
    const OsVersionRecord version = WindowsVersion(VER_PLATFORM_WIN32_NT, 6, 1);
    EachCase<THostileProcess>(
        "process",
        {"names and paths fill their fields without terminator",
         "image query fills the whole buffer without terminator", "image query claims far more than the buffer",
         "image query claims size 0", "task file names longer than MAX_PATH", "process list that ends early",
         "process IDs at their limits, an empty name"},
        [&](TFakeProcessApi& api) { return RunProcess(api, version); },
        {{0, " ", 'Z', 260, " "}, {0, " ", 'Y', 260, " "}, {1, " ", 'q', 1024, " "}, {4, " ", 'T', 260, " "}});
}

TEST(HostileTest, Service)
{
    const OsVersionRecord version = XpVersion();
    EachCase<THostileService>(
        "service",
        {"returned count far beyond the records", "needed size far beyond any buffer", "needed size 0",
         "list that grows on every call", "record texts outside the buffer",
         "texts run to the buffer's end without terminator", "state beyond the table",
         "success without a buffer, claiming records", "success in a one-byte buffer, claiming far more"},
        [&](TFakeServiceApi& api) { return RunService(api, version); });
}

TEST(HostileTest, Network)
{
    const OsVersionRecord version = XpVersion();
    EachCase<THostileNetwork>(
        "network",
        {"parameters ask for far more than any buffer", "parameters ask for 0 bytes",
         "texts fill their fields without terminator", "server chain loops", "chains point partly outside the buffer",
         "adapters ask for far more than any buffer", "adapters ask for less than one record",
         "adapter chain loops and leaves the buffer", "address length beyond its field",
         "interface count far beyond, no adapters"},
        [&](THostileNetwork& api) { return RunNetwork(api, api.Registry, version); },
        {{2, "Host Name: ", 'h', sizeof(FIXED_INFO::HostName), "\n"},
         {2, "Domain Name: ", 'd', sizeof(FIXED_INFO::DomainName), "\n"}, {2, "DNS Servers: ", 's', 16, "\n"},
         {2, "AdapterName: ", 'n', sizeof(IP_ADAPTER_INFO::AdapterName), "\n"},
         {2, "Description: ", 'D', sizeof(IP_ADAPTER_INFO::Description), "\n"}, {2, "IP Address: ", 'i', 16, "\n"}});
    EachCase<THostileSystem>("network with a hostile registry", RegistryCases, [&](THostileSystem& registry) {
        TFakeNetworkApi api;
        NetworkMachine(api, registry);
        return RunNetwork(api, registry, version);
    });
}
