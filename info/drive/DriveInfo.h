#ifndef ENVCHECK_INFO_DRIVE_DRIVEINFO_H
#define ENVCHECK_INFO_DRIVE_DRIVEINFO_H

#include <windows.h>

#include <string>
#include <vector>

#include "info/BaseInfo.h"
#include "info/drive/DriveApi.h"

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

// The drive section: every logical drive with its volume, type and sizes.
// All platform calls are made first; the lines are written from the records.
class TDriveInfo : public TBaseInfo {
public:
    explicit TDriveInfo(TDriveApi& api = Win32DriveApi());
    void Collect(const OsVersionRecord& version) override;

    void ListDrives();
    void ReadVolumes();
    void ReadFreeSpace();

    const std::vector<DriveRecord>& GetDrives() const { return Drives; }

private:
    std::vector<DriveRecord> Drives;
    TDriveApi& Api;
};

// The text of a drive type, empty for a type above 6.
const char* DriveTypeText(UINT driveType);

// The section's elements: a heading, then eleven for each drive (ten for a
// type without a text, whose size then follows on its row).
void WriteDriveSection(const std::vector<DriveRecord>& drives, TSection& section);

#endif
