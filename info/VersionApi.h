#ifndef ENVCHECK_INFO_VERSIONAPI_H
#define ENVCHECK_INFO_VERSIONAPI_H

#include <windows.h>

#include "info/Win32Seam.h"

// Platform seam of the version record. Each member has the name and signature
// of the Win32 function it stands for; the Win32 side forwards unchanged and a
// test derives its own fake.
class TVersionApi {
public:
    virtual ~TVersionApi() = default;
    virtual BOOL GetVersionExA(LPOSVERSIONINFOA info) = 0;
};

class TWin32VersionApi : public TVersionApi {
public:
    BOOL GetVersionExA(LPOSVERSIONINFOA info) override { return ::GetVersionExA(info); }
};

// The process's one real platform, used by default.
inline TVersionApi& Win32VersionApi() { return Win32Seam<TWin32VersionApi>(); }

#endif
