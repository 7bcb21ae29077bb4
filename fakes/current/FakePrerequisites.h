#ifndef ENVCHECK_FAKES_CURRENT_FAKEPREREQUISITES_H
#define ENVCHECK_FAKES_CURRENT_FAKEPREREQUISITES_H

#include <windows.h>
#include <winternl.h>

#include <set>
#include <string>
#include <vector>

// One entry of a fake Application log.
struct TFakeEvent {
    DWORD Time = 0;  // seconds since 1970, UTC
    std::wstring Source = L"Application Error";
    DWORD EventId = 1000;
    std::vector<std::wstring> Strings;
    bool Damaged = false;  // its strings said to start past its end
    DWORD Padding = 0;     // extra bytes of data, to make it large
};

// One product Security Center lists.
struct TFakeSecurityProduct {
    std::wstring Name;
    DWORD State = 0;
    VARTYPE Type = VT_I4;  // how WMI gives productState
};

// What a game needs of a fake machine, and the books of its calls. A machine
// lacks all of it until Prerequisites(), but for CPUID, the registry and the
// system directory's files, which every machine has.
struct TFakePrerequisites {
    DWORD Firmware = FirmwareTypeUefi;
    bool FirmwareFails = false;
    UINT32 TpmResult = 0;  // what Tbsi_GetDeviceInfo returns
    UINT32 TpmVersion = 2;
    LONG CodeIntegrityStatus = 0;
    ULONG CodeIntegrityOptions = CODEINTEGRITY_OPTION_ENABLED;
    HRESULT ConnectResult = S_OK;  // what ConnectServer answers
    std::vector<TFakeSecurityProduct> SecurityProducts;
    bool WmiHangs = false;   // every Next times out
    bool WmiStalls = false;  // the asking thread does not end in time
    DWORD ActiveSchemeResult = ERROR_SUCCESS;
    std::wstring PowerPlan = L"Balanced";  // empty: PowerReadFriendlyName fails
    std::set<std::wstring> SystemFiles;    // in lower case
    std::vector<TFakeEvent> Events;        // newest first
    size_t Filler = 0;                     // recent entries of other sources after them
    static const DWORD NowSeconds = 1796817600;  // 2026-12-09 12:00:00 UTC, as the log counts time
    // The same as a FILETIME; the fake's local time is 9 hours ahead.
    ULONGLONG Now = (NowSeconds + 11644473600ULL) * 10000000ULL;

    // Books.
    DWORD Ticks = 0;  // GetTickCount; a Next that times out moves it on
    int NextCalls = 0;
    int ThreadsHeld = 0;      // thread handles not closed
    int ApartmentsHeld = 0;   // CoInitialize without its CoUninitialize
    int Blankets = 0;         // proxies a blanket was asked for
    int BstrsHeld = 0;
    int SchemesHeld = 0;
    int LogsOpen = 0;
    size_t RecordsRead = 0;
    DWORD LastError = 0;
};

#endif
