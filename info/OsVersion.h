#ifndef ENVCHECK_INFO_OSVERSION_H
#define ENVCHECK_INFO_OSVERSION_H

#include <windows.h>

#include "info/VersionApi.h"

// The version Windows tells this program: read once when a run is set up and
// handed to every step that chooses or words its lines by it.
struct OsVersionRecord {
    OSVERSIONINFOEXA Info = {};
    bool IsEx = false;    // the extended fields (service pack numbers, suite, product type) are filled
    bool Loaded = false;  // false: Windows answered neither form
};

// The extended 156-byte form first, else the basic 148-byte form.
OsVersionRecord ReadOsVersion(TVersionApi& api = Win32VersionApi());

#endif
