#ifndef ENVCHECK_INFO_NETWORK_NETWORKAPI_H
#define ENVCHECK_INFO_NETWORK_NETWORKAPI_H

#include <windows.h>

#include "info/LibraryApi.h"
#include "info/Win32Seam.h"

// Platform seam of the network collector (see TVersionApi for the pattern).
// The IP Helper functions are found at run time through the library calls:
// iphlpapi.dll is not protected by name, so it is never imported.
class TNetworkApi : public TLibraryApi {
};

class TWin32NetworkApi : public TWin32LibraryCalls<TNetworkApi> {
};

inline TNetworkApi& Win32NetworkApi() { return Win32Seam<TWin32NetworkApi>(); }

#endif
