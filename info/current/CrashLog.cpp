#include "info/current/CurrentSystemInfo.h"

#include <cstring>

#include "info/Kernel32Functions.h"
#include "info/WideText.h"
#include "info/current/CurrentFunctions.h"

namespace {

const size_t MostCrashes = 10;
// A busy machine logs thousands of entries a month; reading stops here whatever their age.
const size_t MostRecords = 5000;
const DWORD DaysBack = 30;
// ReadEventLog's own limit for one read; a record claiming more is not believed.
const DWORD LargestRead = 0x7FFFF;
const size_t MostStrings = 64;

const ULONGLONG FileTimeOf1970 = 116444736000000000ULL;
const ULONGLONG TicksPerSecond = 10000000ULL;

// A NUL-terminated UTF-16 text at offset, within the record's first size bytes.
bool ReadWide(const BYTE* record, DWORD size, DWORD& offset, std::wstring& text)
{
    text.clear();
    for (;;) {
        if (offset > size || size - offset < sizeof(WCHAR)) return false;
        WCHAR c = 0;
        std::memcpy(&c, record + offset, sizeof(c));
        offset += sizeof(WCHAR);
        if (c == L'\0') return true;
        text += c;
    }
}

// The entry's source and strings, where the record holds them whole.
bool ReadEntry(const BYTE* record, DWORD size, std::wstring& source, std::vector<std::wstring>& strings)
{
    EVENTLOGRECORD header;
    std::memcpy(&header, record, sizeof(header));
    DWORD offset = sizeof(EVENTLOGRECORD);
    if (!ReadWide(record, size, offset, source)) return false;
    if (header.NumStrings > MostStrings) return false;
    offset = header.StringOffset;
    strings.resize(header.NumStrings);
    for (std::wstring& text : strings)
        if (!ReadWide(record, size, offset, text)) return false;
    return true;
}

bool IsHex(const std::string& text)
{
    if (text.empty() || text.size() > 16) return false;
    for (const char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

// A hex figure as the entry gives it, with or without "0x", in lower case.
bool HexText(const std::wstring& text, std::string& hex)
{
    hex = LowerAscii(Cp932Text(text));
    if (hex.size() > 2 && hex[0] == '0' && hex[1] == 'x') hex.erase(0, 2);
    return IsHex(hex);
}

// A program's or module's file name: never its folder, which may name the player.
std::string FileNameOf(const std::wstring& text)
{
    const size_t slash = text.find_last_of(L"\\/");
    return OneLine(Cp932Text(slash == std::wstring::npos ? text : text.substr(slash + 1)));
}

}  // namespace

bool CrashFromStrings(const std::vector<std::wstring>& strings, CrashRecord& crash)
{
    // XP: program, its version, module, its version, offset. Vista and later:
    // program, version, time stamp, module, version, time stamp, exception, offset, and more.
    const bool xp = strings.size() == 5;
    if (!xp && strings.size() < 8) return false;
    crash.Program = FileNameOf(strings[0]);
    crash.ProgramVersion = OneLine(Cp932Text(strings[1]));
    crash.Module = FileNameOf(strings[xp ? 2 : 3]);
    crash.ModuleVersion = OneLine(Cp932Text(strings[xp ? 3 : 4]));
    crash.Exception.clear();
    if (!xp && !HexText(strings[6], crash.Exception)) return false;
    return HexText(strings[xp ? 4 : 7], crash.Offset) && !crash.Program.empty() && !crash.Module.empty();
}

bool TCurrentSystemInfo::LocalTime(DWORD seconds, Kernel32::SystemTimeToTzSpecificLocalTime::Type toLocal,
                                   SYSTEMTIME& local)
{
    const ULONGLONG ticks = FileTimeOf1970 + seconds * TicksPerSecond;
    const FILETIME utc = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME utcTime = {};
    if (toLocal != nullptr) return Api.FileTimeToSystemTime(&utc, &utcTime) && toLocal(nullptr, &utcTime, &local);
    // Without it, today's offset from UTC.
    FILETIME localFile = {};
    return Api.FileTimeToLocalFileTime(&utc, &localFile) && Api.FileTimeToSystemTime(&localFile, &local);
}

bool TCurrentSystemInfo::ReadCrashes()
{
    const TLoadedModule advapi32(Api, "advapi32.dll");
    const auto openLog = FindFunction<Advapi32::OpenEventLogW>(advapi32);
    const auto readLog = FindFunction<Advapi32::ReadEventLogW>(advapi32);
    const auto closeLog = FindFunction<Advapi32::CloseEventLog>(advapi32);
    if (openLog == nullptr || readLog == nullptr || closeLog == nullptr) return false;
    const auto toLocal = FindFunction<Kernel32::SystemTimeToTzSpecificLocalTime>(TLoadedModule(Api, "kernel32.dll"));
    HANDLE log = openLog(nullptr, L"Application");
    if (log == nullptr) return false;
    FILETIME now = {};
    Api.GetSystemTimeAsFileTime(&now);
    const ULONGLONG nowTicks = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    const ULONGLONG nowSeconds = nowTicks > FileTimeOf1970 ? (nowTicks - FileTimeOf1970) / TicksPerSecond : 0;
    const ULONGLONG oldest = nowSeconds > DaysBack * 86400ULL ? nowSeconds - DaysBack * 86400ULL : 0;
    std::vector<BYTE> buffer(0x10000);
    size_t records = 0;
    bool ended = false;
    while (!ended) {
        DWORD read = 0;
        DWORD needed = 0;
        if (!readLog(log, EVENTLOG_SEQUENTIAL_READ | EVENTLOG_BACKWARDS_READ, 0, buffer.data(),
                     static_cast<DWORD>(buffer.size()), &read, &needed)) {
            // The next record is larger than the buffer: read it again whole.
            if (Api.GetLastError() == ERROR_INSUFFICIENT_BUFFER && needed > buffer.size() && needed <= LargestRead) {
                buffer.resize(needed);
                continue;
            }
            break;  // the log's beginning, or a log that cannot be read further
        }
        if (read == 0 || read > buffer.size()) break;
        // Newest first: the first entry older than the window ends the reading.
        for (DWORD offset = 0; offset < read && !ended;) {
            EVENTLOGRECORD header;
            if (read - offset < sizeof(header)) break;
            std::memcpy(&header, buffer.data() + offset, sizeof(header));
            if (header.Length < sizeof(header) || header.Length > read - offset) {
                ended = true;
                break;
            }
            const BYTE* record = buffer.data() + offset;
            offset += header.Length;
            ended = ++records >= MostRecords;
            if (header.TimeGenerated < oldest) {
                ended = true;
                break;
            }
            std::wstring source;
            std::vector<std::wstring> strings;
            CrashRecord crash;
            if ((header.EventID & 0xFFFF) != 1000 || !ReadEntry(record, header.Length, source, strings) ||
                source != L"Application Error" || !CrashFromStrings(strings, crash))
                continue;
            if (!LocalTime(header.TimeGenerated, toLocal, crash.Time)) continue;
            Record.Crashes.push_back(crash);
            ended = ended || Record.Crashes.size() >= MostCrashes;
        }
    }
    closeLog(log);
    return true;
}
