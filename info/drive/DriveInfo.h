#ifndef ENVCHECK_INFO_DRIVE_DRIVEINFO_H
#define ENVCHECK_INFO_DRIVE_DRIVEINFO_H

#include <windows.h>

#include <string>
#include <vector>

#include "info/BaseInfo.h"

// What the platform reports of one logical drive.
struct DriveRecord {
    std::string RootPath;
    std::string VolumeName;
    std::string FileSystemName;
    DWORD FileSystemFlags = 0;
    DWORD SerialNumber = 0;
    DWORD MaximumComponentLength = 0;
    UINT DriveType = 0;
    ULONGLONG TotalBytes = 0;
    ULONGLONG FreeBytes = 0;
};

class TDriveInfo : public TBaseInfo {
public:
    TDriveInfo();
    void Collect() override;

private:
    std::vector<DriveRecord> Drives;
};

#endif
