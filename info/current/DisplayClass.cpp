// The device class identifiers are defined by their header only; this one
// is instantiated here, once.
#include <initguid.h>

#include <devguid.h>

#include "info/current/CurrentSystemInfo.h"

std::string DisplayClassKey()
{
    const GUID& id = GUID_DEVCLASS_DISPLAY;
    return (boost::format("SYSTEM\\CurrentControlSet\\Control\\Class\\{%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}") %
            id.Data1 % id.Data2 % id.Data3 % unsigned(id.Data4[0]) % unsigned(id.Data4[1]) % unsigned(id.Data4[2]) %
            unsigned(id.Data4[3]) % unsigned(id.Data4[4]) % unsigned(id.Data4[5]) % unsigned(id.Data4[6]) %
            unsigned(id.Data4[7]))
        .str();
}
