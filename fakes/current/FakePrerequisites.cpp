#include "fakes/current/FakeCurrentSystem.h"
#include "fakes/current/FakeCounted.h"

#include <wbemcli.h>

#include <algorithm>
#include <cstring>
#include <cwctype>

#include "info/current/CurrentFunctions.h"

namespace {

TFakeCurrentSystem& Machine() { return TFakeCurrentSystem::Current(); }

HANDLE const FakeLog = reinterpret_cast<HANDLE>(0x10E7);
GUID const Balanced = {0x381b4222, 0xf694, 0x41f0, {0x96, 0x85, 0xff, 0x5b, 0xb2, 0x60, 0xdf, 0x2e}};

BOOL WINAPI FakeGetFirmwareType(PFIRMWARE_TYPE type)
{
    if (FaultPlan.Fails("GetFirmwareType") || Machine().FirmwareFails) return FALSE;
    *type = static_cast<FIRMWARE_TYPE>(Machine().Firmware);
    return TRUE;
}

LONG WINAPI FakeNtQuerySystemInformation(ULONG type, PVOID data, ULONG size, PULONG written)
{
    if (FaultPlan.Fails("NtQuerySystemInformation")) return static_cast<LONG>(0xC0000001);  // STATUS_UNSUCCESSFUL
    if (type != SystemCodeIntegrity || size != sizeof(SYSTEM_CODEINTEGRITY_INFORMATION))
        return static_cast<LONG>(0xC0000004);  // STATUS_INFO_LENGTH_MISMATCH
    auto& information = *static_cast<SYSTEM_CODEINTEGRITY_INFORMATION*>(data);
    // Windows reads the length the caller set and refuses any other.
    if (information.Length != sizeof(information)) return static_cast<LONG>(0xC000000D);
    if (Machine().CodeIntegrityStatus < 0) return Machine().CodeIntegrityStatus;
    information.CodeIntegrityOptions = Machine().CodeIntegrityOptions;
    if (written != nullptr) *written = sizeof(information);
    return 0;
}

UINT32 WINAPI FakeTbsi_GetDeviceInfo(UINT32 size, PVOID info)
{
    if (FaultPlan.Fails("Tbsi_GetDeviceInfo")) return 0x80284001;  // TBS_E_INTERNAL_ERROR
    if (size < sizeof(TpmDeviceInfo)) return 0x80284005;          // TBS_E_BAD_PARAMETER
    if (Machine().TpmResult != 0) return Machine().TpmResult;
    auto& device = *static_cast<TpmDeviceInfo*>(info);
    device = {1, Machine().TpmVersion, 1, 0};
    return 0;
}

DWORD WINAPI FakePowerGetActiveScheme(HKEY root, GUID** scheme)
{
    if (FaultPlan.Fails("PowerGetActiveScheme")) return ERROR_ACCESS_DENIED;
    if (root != nullptr || Machine().ActiveSchemeResult != ERROR_SUCCESS) return Machine().ActiveSchemeResult;
    *scheme = new GUID(Balanced);
    ++Machine().SchemesHeld;
    return ERROR_SUCCESS;
}

DWORD WINAPI FakePowerReadFriendlyName(HKEY, const GUID* scheme, const GUID* group, const GUID* setting, PUCHAR buffer,
                                       LPDWORD size)
{
    if (FaultPlan.Fails("PowerReadFriendlyName")) return ERROR_ACCESS_DENIED;
    if (scheme == nullptr || *scheme != Balanced || group != nullptr || setting != nullptr) return ERROR_INVALID_PARAMETER;
    const std::wstring& name = Machine().PowerPlan;
    if (name.empty()) return ERROR_FILE_NOT_FOUND;
    const DWORD bytes = static_cast<DWORD>((name.size() + 1) * sizeof(WCHAR));
    const DWORD room = *size;
    *size = bytes;
    if (buffer == nullptr) return ERROR_SUCCESS;
    if (room < bytes) return ERROR_MORE_DATA;
    std::memcpy(buffer, name.c_str(), bytes);
    return ERROR_SUCCESS;
}

HANDLE WINAPI FakeOpenEventLogW(LPCWSTR server, LPCWSTR source)
{
    if (FaultPlan.Fails("OpenEventLogW") || server != nullptr || source == nullptr ||
        std::wstring(source) != L"Application")
        return nullptr;
    ++Machine().LogsOpen;
    Machine().RecordsRead = 0;
    return FakeLog;
}

void Append(std::vector<BYTE>& record, const std::wstring& text)
{
    const BYTE* bytes = reinterpret_cast<const BYTE*>(text.c_str());
    record.insert(record.end(), bytes, bytes + (text.size() + 1) * sizeof(WCHAR));
}

// The record as the log keeps it: header, source, computer, strings, data, and its length again.
std::vector<BYTE> Record(const TFakeEvent& event, DWORD number)
{
    std::vector<BYTE> record(sizeof(EVENTLOGRECORD));
    Append(record, event.Source);
    Append(record, L"PLAYER-PC");
    const DWORD strings = static_cast<DWORD>(record.size());
    for (const std::wstring& text : event.Strings) Append(record, text);
    record.resize(record.size() + event.Padding);
    record.resize((record.size() + 3) / 4 * 4 + sizeof(DWORD));
    EVENTLOGRECORD header = {};
    header.Length = static_cast<DWORD>(record.size());
    header.Reserved = 0x654c664c;  // "LfLe"
    header.RecordNumber = number;
    header.TimeGenerated = header.TimeWritten = event.Time;
    header.EventID = event.EventId;
    header.EventType = EVENTLOG_ERROR_TYPE;
    header.NumStrings = static_cast<WORD>(event.Strings.size());
    header.StringOffset = event.Damaged ? header.Length + 64 : strings;
    std::memcpy(record.data(), &header, sizeof(header));
    std::memcpy(record.data() + record.size() - sizeof(DWORD), &header.Length, sizeof(DWORD));
    return record;
}

// The log's next entry to read, newest first: the given ones, then the filler.
bool NextEvent(size_t index, TFakeEvent& event)
{
    const TFakeCurrentSystem& machine = Machine();
    if (index < machine.Events.size()) {
        event = machine.Events[index];
        return true;
    }
    if (index >= machine.Events.size() + machine.Filler) return false;
    event = TFakeEvent();
    event.Time = static_cast<DWORD>((machine.Now - 116444736000000000ULL) / 10000000ULL) - 60;
    event.Source = L"Service Control Manager";
    event.EventId = 7036;
    event.Strings = {L"Windows Update", L"running"};
    return true;
}

BOOL WINAPI FakeReadEventLogW(HANDLE log, DWORD flags, DWORD, LPVOID buffer, DWORD size, DWORD* read, DWORD* needed)
{
    TFakeCurrentSystem& machine = Machine();
    if (FaultPlan.Fails("ReadEventLogW") || log != FakeLog ||
        flags != (EVENTLOG_SEQUENTIAL_READ | EVENTLOG_BACKWARDS_READ)) {
        machine.LastError = ERROR_INVALID_PARAMETER;
        return FALSE;
    }
    *read = *needed = 0;
    TFakeEvent event;
    while (NextEvent(machine.RecordsRead, event)) {
        const std::vector<BYTE> record = Record(event, static_cast<DWORD>(machine.RecordsRead + 1));
        if (record.size() > size - *read) {
            // Only a buffer too small for the first record is an error; the rest wait for the next read.
            if (*read != 0) return TRUE;
            *needed = static_cast<DWORD>(record.size());
            machine.LastError = ERROR_INSUFFICIENT_BUFFER;
            return FALSE;
        }
        std::memcpy(static_cast<BYTE*>(buffer) + *read, record.data(), record.size());
        *read += static_cast<DWORD>(record.size());
        ++machine.RecordsRead;
    }
    if (*read != 0) return TRUE;
    machine.LastError = ERROR_HANDLE_EOF;
    return FALSE;
}

BOOL WINAPI FakeCloseEventLog(HANDLE log)
{
    const bool fails = FaultPlan.Fails("CloseEventLog");
    if (log != FakeLog) return FALSE;
    --Machine().LogsOpen;
    return !fails;
}

HRESULT WINAPI FakeCoSetProxyBlanket(IUnknown* proxy, DWORD, DWORD, OLECHAR*, DWORD, DWORD, RPC_AUTH_IDENTITY_HANDLE,
                                     DWORD)
{
    // As for an object served within the process: it has no blanket to set.
    if (FaultPlan.Fails("CoSetProxyBlanket") || proxy == nullptr) return E_INVALIDARG;
    ++Machine().Blankets;
    return E_NOINTERFACE;
}

// The fake's local time is 9 hours ahead of UTC, all year.
BOOL WINAPI FakeSystemTimeToTzSpecificLocalTime(const TIME_ZONE_INFORMATION* zone, const SYSTEMTIME* utc,
                                                LPSYSTEMTIME local)
{
    FILETIME file = {};
    if (FaultPlan.Fails("SystemTimeToTzSpecificLocalTime") || zone != nullptr || !SystemTimeToFileTime(utc, &file))
        return FALSE;
    const ULONGLONG ticks =
        ((static_cast<ULONGLONG>(file.dwHighDateTime) << 32) | file.dwLowDateTime) + 9ULL * 3600 * 10000000;
    file = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    return FileTimeToSystemTime(&file, local);
}

HANDLE const FakeThread = reinterpret_cast<HANDLE>(0x7EAD);

class TFakeProduct : public TFakeCounted<IWbemClassObject> {
public:
    explicit TFakeProduct(const TFakeSecurityProduct& product) : Product(product) {}
    HRESULT STDMETHODCALLTYPE Get(LPCWSTR name, LONG flags, VARIANT* value, CIMTYPE*, LONG*) override
    {
        if (FaultPlan.Fails("IWbemClassObject::Get")) return WBEM_E_FAILED;
        if (flags != 0 || value == nullptr) return WBEM_E_INVALID_PARAMETER;
        if (std::wstring(name) == L"displayName") {
            value->vt = VT_BSTR;
            value->bstrVal = Machine().SysAllocString(Product.Name.c_str());
        } else if (std::wstring(name) == L"productState") {
            value->vt = Product.Type;
            value->lVal = static_cast<LONG>(Product.State);
        } else {
            return WBEM_E_NOT_FOUND;
        }
        return WBEM_S_NO_ERROR;
    }
    HRESULT STDMETHODCALLTYPE GetQualifierSet(IWbemQualifierSet **) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE Put(LPCWSTR, LONG, VARIANT *, CIMTYPE) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE Delete(LPCWSTR) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetNames(LPCWSTR, LONG, VARIANT *, SAFEARRAY **) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE BeginEnumeration(LONG) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE Next(LONG, BSTR *, VARIANT *, CIMTYPE *, LONG *) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE EndEnumeration() override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetPropertyQualifierSet(LPCWSTR, IWbemQualifierSet **) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE Clone(IWbemClassObject **) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetObjectText(LONG, BSTR *) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE SpawnDerivedClass(LONG, IWbemClassObject **) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE SpawnInstance(LONG, IWbemClassObject **) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE CompareTo(LONG, IWbemClassObject *) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetPropertyOrigin(LPCWSTR, BSTR *) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE InheritsFrom(LPCWSTR) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetMethod(LPCWSTR, LONG, IWbemClassObject **, IWbemClassObject **) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE PutMethod(LPCWSTR, LONG, IWbemClassObject *, IWbemClassObject *) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE DeleteMethod(LPCWSTR) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE BeginMethodEnumeration(LONG) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE NextMethod(LONG, BSTR *, IWbemClassObject **, IWbemClassObject **) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE EndMethodEnumeration() override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetMethodQualifierSet(LPCWSTR, IWbemQualifierSet **) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetMethodOrigin(LPCWSTR, BSTR *) override { return WBEM_E_NOT_SUPPORTED; }

private:
    TFakeSecurityProduct Product;
};

class TFakeProductList : public TFakeCounted<IEnumWbemClassObject> {
public:
    HRESULT STDMETHODCALLTYPE Next(LONG timeout, ULONG count, IWbemClassObject** objects, ULONG* returned) override
    {
        TFakeCurrentSystem& machine = Machine();
        ++machine.NextCalls;
        *returned = 0;
        if (FaultPlan.Fails("IEnumWbemClassObject::Next")) return WBEM_E_FAILED;
        if (count != 1 || timeout < 0) return WBEM_E_INVALID_PARAMETER;
        if (machine.WmiHangs) {
            machine.Ticks += static_cast<DWORD>(timeout);
            return WBEM_S_TIMEDOUT;
        }
        if (Position >= machine.SecurityProducts.size()) return WBEM_S_FALSE;
        objects[0] = new TFakeProduct(machine.SecurityProducts[Position++]);
        *returned = 1;
        return WBEM_S_NO_ERROR;
    }
    HRESULT STDMETHODCALLTYPE Reset() override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE NextAsync(ULONG, IWbemObjectSink *) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE Clone(IEnumWbemClassObject **) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE Skip(LONG, ULONG) override { return WBEM_E_NOT_SUPPORTED; }

private:
    size_t Position = 0;
};

// IWbemServices asks the same six things of classes as of instances; the fake answers none of them.
#define WBEM_NOT_SUPPORTED_FOR(Kind) \
    HRESULT STDMETHODCALLTYPE Put##Kind(IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult**) override { return WBEM_E_NOT_SUPPORTED; } \
    HRESULT STDMETHODCALLTYPE Put##Kind##Async(IWbemClassObject*, LONG, IWbemContext*, IWbemObjectSink*) override { return WBEM_E_NOT_SUPPORTED; } \
    HRESULT STDMETHODCALLTYPE Delete##Kind(const BSTR, LONG, IWbemContext*, IWbemCallResult**) override { return WBEM_E_NOT_SUPPORTED; } \
    HRESULT STDMETHODCALLTYPE Delete##Kind##Async(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override { return WBEM_E_NOT_SUPPORTED; } \
    HRESULT STDMETHODCALLTYPE Create##Kind##Enum(const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**) override { return WBEM_E_NOT_SUPPORTED; } \
    HRESULT STDMETHODCALLTYPE Create##Kind##EnumAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override { return WBEM_E_NOT_SUPPORTED; }

class TFakeServices : public TFakeCounted<IWbemServices> {
public:
    HRESULT STDMETHODCALLTYPE ExecQuery(const BSTR language, const BSTR query, LONG flags, IWbemContext*,
                                        IEnumWbemClassObject** list) override
    {
        if (FaultPlan.Fails("IWbemServices::ExecQuery")) return WBEM_E_FAILED;
        if (std::wstring(language) != L"WQL" || std::wstring(query).find(L"FROM AntiVirusProduct") == std::wstring::npos ||
            (flags & WBEM_FLAG_RETURN_IMMEDIATELY) == 0)
            return WBEM_E_INVALID_QUERY;
        *list = new TFakeProductList();
        return WBEM_S_NO_ERROR;
    }
    HRESULT STDMETHODCALLTYPE OpenNamespace(const BSTR, LONG, IWbemContext *, IWbemServices **, IWbemCallResult **) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE CancelAsyncCall(IWbemObjectSink *) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE QueryObjectSink(LONG, IWbemObjectSink **) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetObject(const BSTR, LONG, IWbemContext *, IWbemClassObject **, IWbemCallResult **) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetObjectAsync(const BSTR, LONG, IWbemContext *, IWbemObjectSink *) override { return WBEM_E_NOT_SUPPORTED; }
    WBEM_NOT_SUPPORTED_FOR(Class)
    WBEM_NOT_SUPPORTED_FOR(Instance)
    HRESULT STDMETHODCALLTYPE ExecQueryAsync(const BSTR, const BSTR, LONG, IWbemContext *, IWbemObjectSink *) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE ExecNotificationQuery(const BSTR, const BSTR, LONG, IWbemContext *, IEnumWbemClassObject **) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE ExecNotificationQueryAsync(const BSTR, const BSTR, LONG, IWbemContext *, IWbemObjectSink *) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE ExecMethod(const BSTR, const BSTR, LONG, IWbemContext *, IWbemClassObject *, IWbemClassObject **, IWbemCallResult **) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE ExecMethodAsync(const BSTR, const BSTR, LONG, IWbemContext *, IWbemClassObject *, IWbemObjectSink *) override { return WBEM_E_NOT_SUPPORTED; }
};

class TFakeLocator : public TFakeCounted<IWbemLocator> {
public:
    HRESULT STDMETHODCALLTYPE ConnectServer(const BSTR space, const BSTR, const BSTR, const BSTR, LONG, const BSTR,
                                            IWbemContext*, IWbemServices** services) override
    {
        if (FaultPlan.Fails("IWbemLocator::ConnectServer")) return WBEM_E_FAILED;
        if (FAILED(Machine().ConnectResult)) return Machine().ConnectResult;
        if (_wcsicmp(space, L"ROOT\\SecurityCenter2") != 0) return WBEM_E_INVALID_NAMESPACE;
        *services = new TFakeServices();
        return WBEM_S_NO_ERROR;
    }
};

}  // namespace

void TFakeCurrentSystem::ProvidePrerequisites(TFunctions& kernel32, TFunctions& ntdll)
{
    kernel32.insert({FAKE_EXPORT(GetFirmwareType), FAKE_EXPORT(SystemTimeToTzSpecificLocalTime)});
    ntdll.insert(FAKE_EXPORT(NtQuerySystemInformation));
    Provide("tbs.dll", reinterpret_cast<HMODULE>(0x69000000), {FAKE_EXPORT(Tbsi_GetDeviceInfo)});
    Provide("powrprof.dll", reinterpret_cast<HMODULE>(0x68000000),
            {FAKE_EXPORT(PowerGetActiveScheme), FAKE_EXPORT(PowerReadFriendlyName)});
    Provide("advapi32.dll", reinterpret_cast<HMODULE>(0x77dd0000),
            {FAKE_EXPORT(OpenEventLogW), FAKE_EXPORT(ReadEventLogW), FAKE_EXPORT(CloseEventLog)});
    Provide("ole32.dll", reinterpret_cast<HMODULE>(0x774e0000), {FAKE_EXPORT(CoSetProxyBlanket)});
    MissingLibraries.insert({"tbs.dll", "powrprof.dll"});
    MissingFunctions.insert({"GetFirmwareType", "NtQuerySystemInformation", "OpenEventLogW", "CoSetProxyBlanket"});
}

void TFakeCurrentSystem::Prerequisites()
{
    for (const char* library : {"tbs.dll", "powrprof.dll"}) MissingLibraries.erase(library);
    for (const char* function : {"GetFirmwareType", "NtQuerySystemInformation", "OpenEventLogW", "CoSetProxyBlanket"})
        MissingFunctions.erase(function);
}

void TFakeCurrentSystem::GetSystemTimeAsFileTime(LPFILETIME time)
{
    time->dwLowDateTime = static_cast<DWORD>(Now);
    time->dwHighDateTime = static_cast<DWORD>(Now >> 32);
}

BOOL TFakeCurrentSystem::FileTimeToLocalFileTime(const FILETIME* time, LPFILETIME local)
{
    if (FaultPlan.Fails("FileTimeToLocalFileTime")) return FALSE;
    const ULONGLONG ticks = ((static_cast<ULONGLONG>(time->dwHighDateTime) << 32) | time->dwLowDateTime) +
                            9ULL * 3600 * 10000000;
    local->dwLowDateTime = static_cast<DWORD>(ticks);
    local->dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return TRUE;
}

BOOL TFakeCurrentSystem::FileTimeToSystemTime(const FILETIME* time, LPSYSTEMTIME system)
{
    // Plain arithmetic, the same on every machine.
    return !FaultPlan.Fails("FileTimeToSystemTime") && ::FileTimeToSystemTime(time, system);
}

DWORD TFakeCurrentSystem::GetFileAttributesW(LPCWSTR path)
{
    if (FaultPlan.Fails("GetFileAttributesW")) return INVALID_FILE_ATTRIBUTES;
    std::wstring name(path);
    const std::wstring folder = L"C:\\WINDOWS\\system32\\";
    if (name.compare(0, folder.size(), folder) != 0) return INVALID_FILE_ATTRIBUTES;
    name.erase(0, folder.size());
    std::transform(name.begin(), name.end(), name.begin(), [](wchar_t c) { return std::towlower(c); });
    return SystemFiles.count(name) != 0 ? FILE_ATTRIBUTE_ARCHIVE : INVALID_FILE_ATTRIBUTES;
}

HLOCAL TFakeCurrentSystem::LocalFree(HLOCAL memory)
{
    if (memory == nullptr) return nullptr;
    delete static_cast<GUID*>(memory);
    --SchemesHeld;
    return nullptr;
}

HRESULT TFakeCurrentSystem::CoCreateInstance(REFCLSID, LPUNKNOWN outer, DWORD, REFIID interfaceId, LPVOID* object)
{
    *object = nullptr;
    if (FaultPlan.Fails("CoCreateInstance")) return REGDB_E_CLASSNOTREG;
    // Security Center is there only with the rest of today's Windows.
    if (MissingFunctions.count("CoSetProxyBlanket") != 0) return REGDB_E_CLASSNOTREG;
    if (ApartmentsHeld == 0) return CO_E_NOTINITIALIZED;
    if (outer != nullptr || interfaceId != __uuidof(IWbemLocator)) return E_NOINTERFACE;
    *object = static_cast<IWbemLocator*>(new TFakeLocator());
    return S_OK;
}

BSTR TFakeCurrentSystem::SysAllocString(const OLECHAR* text)
{
    if (FaultPlan.Fails("SysAllocString")) return nullptr;
    ++BstrsHeld;
    return ::SysAllocString(text);
}

void TFakeCurrentSystem::SysFreeString(BSTR text)
{
    if (text != nullptr) --BstrsHeld;
    ::SysFreeString(text);
}

HRESULT TFakeCurrentSystem::VariantClear(VARIANTARG* value)
{
    if (value->vt == VT_BSTR && value->bstrVal != nullptr) --BstrsHeld;
    return ::VariantClear(value);
}

HRESULT TFakeCurrentSystem::CoInitialize(LPVOID)
{
    if (FaultPlan.Fails("CoInitialize")) return E_OUTOFMEMORY;
    ++ApartmentsHeld;
    return S_OK;
}

// The thread runs to its end at once, on the caller's own thread: a test stays one thread.
uintptr_t TFakeCurrentSystem::_beginthreadex(void*, unsigned, unsigned(__stdcall* start)(void*), void* argument,
                                             unsigned flags, unsigned*)
{
    if (FaultPlan.Fails("_beginthreadex") || flags != 0) return 0;
    ++ThreadsHeld;
    start(argument);
    return reinterpret_cast<uintptr_t>(FakeThread);
}

DWORD TFakeCurrentSystem::WaitForSingleObject(HANDLE object, DWORD)
{
    if (FaultPlan.Fails("WaitForSingleObject") || object != FakeThread) return WAIT_FAILED;
    return WmiStalls ? WAIT_TIMEOUT : WAIT_OBJECT_0;
}

BOOL TFakeCurrentSystem::CloseHandle(HANDLE object)
{
    const bool fails = FaultPlan.Fails("CloseHandle");
    if (object != FakeThread) return FALSE;
    --ThreadsHeld;
    return !fails;
}
