#ifndef ENVCHECK_INFO_SERVICE_SERVICEAPI_H
#define ENVCHECK_INFO_SERVICE_SERVICEAPI_H

#include <windows.h>

#include "info/LibraryApi.h"
#include "info/Win32Seam.h"

// Platform seam of the service collector (see TVersionApi for the pattern).
// The service functions are found at run time through the library calls.
class TServiceApi : public TLibraryApi {
public:
    virtual DWORD GetLastError() = 0;
};

class TWin32ServiceApi : public TWin32LibraryCalls<TServiceApi> {
public:
    DWORD GetLastError() override { return ::GetLastError(); }
};

inline TServiceApi& Win32ServiceApi() { return Win32Seam<TWin32ServiceApi>(); }

#endif
