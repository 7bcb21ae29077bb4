#ifndef ENVCHECK_INFO_REGISTRYAPI_H
#define ENVCHECK_INFO_REGISTRYAPI_H

#include <windows.h>

#include "info/Win32Seam.h"

// Platform seam of the registry reader (see TVersionApi for the pattern).
class TRegistryApi {
public:
    virtual ~TRegistryApi() = default;
    virtual LONG RegOpenKeyExA(HKEY root, LPCSTR subkey, DWORD options, REGSAM access, PHKEY key) = 0;
    virtual LONG RegCloseKey(HKEY key) = 0;
    virtual LONG RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                  LPDWORD size) = 0;
    virtual LONG RegQueryInfoKeyA(HKEY key, LPSTR className, LPDWORD classLength, LPDWORD reserved,
                                  LPDWORD subKeys, LPDWORD maxSubKeyLength, LPDWORD maxClassLength, LPDWORD values,
                                  LPDWORD maxValueNameLength, LPDWORD maxValueLength, LPDWORD securityDescriptor,
                                  PFILETIME lastWriteTime) = 0;
    virtual LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength, LPDWORD reserved,
                               LPSTR className, LPDWORD classLength, PFILETIME lastWriteTime) = 0;
};

class TWin32RegistryApi : public TRegistryApi {
public:
    LONG RegOpenKeyExA(HKEY root, LPCSTR subkey, DWORD options, REGSAM access, PHKEY key) override
    {
        return ::RegOpenKeyExA(root, subkey, options, access, key);
    }
    LONG RegCloseKey(HKEY key) override { return ::RegCloseKey(key); }
    LONG RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                          LPDWORD size) override
    {
        return ::RegQueryValueExA(key, name, reserved, type, data, size);
    }
    LONG RegQueryInfoKeyA(HKEY key, LPSTR className, LPDWORD classLength, LPDWORD reserved, LPDWORD subKeys,
                          LPDWORD maxSubKeyLength, LPDWORD maxClassLength, LPDWORD values,
                          LPDWORD maxValueNameLength, LPDWORD maxValueLength, LPDWORD securityDescriptor,
                          PFILETIME lastWriteTime) override
    {
        return ::RegQueryInfoKeyA(key, className, classLength, reserved, subKeys, maxSubKeyLength, maxClassLength,
                                  values, maxValueNameLength, maxValueLength, securityDescriptor, lastWriteTime);
    }
    LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength, LPDWORD reserved, LPSTR className,
                       LPDWORD classLength, PFILETIME lastWriteTime) override
    {
        return ::RegEnumKeyExA(key, index, name, nameLength, reserved, className, classLength, lastWriteTime);
    }
};

inline TRegistryApi& Win32RegistryApi() { return Win32Seam<TWin32RegistryApi>(); }

#endif
