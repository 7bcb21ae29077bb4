#ifndef ENVCHECK_INFO_DRIVE_DRIVEAPI_H
#define ENVCHECK_INFO_DRIVE_DRIVEAPI_H

#include <windows.h>

#include "info/RuntimeFunction.h"
#include "info/Win32Seam.h"

// Platform seam of the drive collector (see TVersionApi for the pattern).
class TDriveApi : public TModuleApi {
public:
    virtual DWORD GetLogicalDriveStringsA(DWORD length, LPSTR buffer) = 0;
    virtual BOOL GetVolumeInformationA(LPCSTR root, LPSTR volumeName, DWORD volumeNameSize, LPDWORD serialNumber,
                                       LPDWORD maximumComponentLength, LPDWORD fileSystemFlags,
                                       LPSTR fileSystemName, DWORD fileSystemNameSize) = 0;
    virtual UINT GetDriveTypeA(LPCSTR root) = 0;
    virtual UINT SetErrorMode(UINT mode) = 0;
    virtual BOOL GetDiskFreeSpaceA(LPCSTR root, LPDWORD sectorsPerCluster, LPDWORD bytesPerSector,
                                   LPDWORD freeClusters, LPDWORD totalClusters) = 0;
};

class TWin32DriveApi : public TWin32ModuleCalls<TDriveApi> {
public:
    DWORD GetLogicalDriveStringsA(DWORD length, LPSTR buffer) override
    {
        return ::GetLogicalDriveStringsA(length, buffer);
    }
    BOOL GetVolumeInformationA(LPCSTR root, LPSTR volumeName, DWORD volumeNameSize, LPDWORD serialNumber,
                               LPDWORD maximumComponentLength, LPDWORD fileSystemFlags, LPSTR fileSystemName,
                               DWORD fileSystemNameSize) override
    {
        return ::GetVolumeInformationA(root, volumeName, volumeNameSize, serialNumber, maximumComponentLength,
                                       fileSystemFlags, fileSystemName, fileSystemNameSize);
    }
    UINT GetDriveTypeA(LPCSTR root) override { return ::GetDriveTypeA(root); }
    UINT SetErrorMode(UINT mode) override { return ::SetErrorMode(mode); }
    BOOL GetDiskFreeSpaceA(LPCSTR root, LPDWORD sectorsPerCluster, LPDWORD bytesPerSector, LPDWORD freeClusters,
                           LPDWORD totalClusters) override
    {
        return ::GetDiskFreeSpaceA(root, sectorsPerCluster, bytesPerSector, freeClusters, totalClusters);
    }
};

inline TDriveApi& Win32DriveApi() { return Win32Seam<TWin32DriveApi>(); }

#endif
