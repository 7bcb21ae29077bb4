#ifndef ENVCHECK_TESTS_SUPPORT_SAVEDOSVERSION_H
#define ENVCHECK_TESTS_SUPPORT_SAVEDOSVERSION_H

#include "info/OsVersion.h"

// The process-wide version record, restored when the test ends; marked loaded
// so that no collector built meanwhile reads the real version over the test's.
class TSavedOsVersion {
public:
    TSavedOsVersion() : Saved(OsVersion), SavedEx(OsVersionIsEx), SavedLoaded(OsVersionLoaded)
    {
        OsVersionLoaded = true;
    }
    ~TSavedOsVersion()
    {
        OsVersion = Saved;
        OsVersionIsEx = SavedEx;
        OsVersionLoaded = SavedLoaded;
    }
    TSavedOsVersion(const TSavedOsVersion&) = delete;
    TSavedOsVersion& operator=(const TSavedOsVersion&) = delete;

private:
    OSVERSIONINFOEXA Saved;
    bool SavedEx;
    bool SavedLoaded;
};

#endif
