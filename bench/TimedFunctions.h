#ifndef ENVCHECK_BENCH_TIMEDFUNCTIONS_H
#define ENVCHECK_BENCH_TIMEDFUNCTIONS_H

#include <windows.h>

#include <set>
#include <string>

// A function a collector finds at run time, handed back as a stand-in that
// times each call of the real one. A function without a stand-in is handed
// back as it is and named in UntimedFunctions, so its time counts as
// envcheck's own.
FARPROC TimedFunction(LPCSTR name, FARPROC real);

extern std::set<std::string> UntimedFunctions;

// The closing section's families of calls, as the bench names them.
const char* const FamilyDxgi = "DXGI";
const char* const FamilyDirect3D = "Direct3D devices";
const char* const FamilyConfiguration = "display configuration";
const char* const FamilyDevices = "device list";
const char* const FamilySecurityCenter = "Security Center (WMI)";
const char* const FamilyEventLog = "event log";
const char* const FamilyPrerequisites = "firmware, TPM, code integrity, power plan";

#endif
