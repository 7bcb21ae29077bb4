#ifndef ENVCHECK_INFO_OSVERSION_H
#define ENVCHECK_INFO_OSVERSION_H

#include <windows.h>

#include "info/VersionApi.h"

// Process-wide version record, filled once while the collectors are built
// and only read afterwards.
extern OSVERSIONINFOEXA OsVersion;
extern bool OsVersionIsEx;
extern bool OsVersionLoaded;

// Fills OsVersion: the extended 156-byte form first, else the basic 148-byte form.
bool LoadOsVersion(TVersionApi& api = Win32VersionApi());

#endif
