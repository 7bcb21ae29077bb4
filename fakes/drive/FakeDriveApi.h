#ifndef ENVCHECK_FAKES_DRIVE_FAKEDRIVEAPI_H
#define ENVCHECK_FAKES_DRIVE_FAKEDRIVEAPI_H

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "fakes/CurrentFake.h"
#include "fakes/FakeLibraries.h"
#include "fakes/FaultPlan.h"
#include "info/FunctionCast.h"
#include "info/drive/DriveApi.h"
#include "info/drive/DriveInfo.h"

// What the platform answers for one drive: the record the collector should
// make of it (its root path is the key it is kept under), and how it answers.
struct TFakeVolume : DriveRecord {
    TFakeVolume() { DriveType = DRIVE_FIXED; }
    BOOL Result = TRUE;
    // For GetDiskFreeSpaceA.
    DWORD SectorsPerCluster = 0;
    DWORD BytesPerSector = 0;
    DWORD FreeClusters = 0;
    DWORD TotalClusters = 0;
};

// The drives of a machine behind the drive seam; GetDiskFreeSpaceExA is
// reached through the current fake.
class TFakeDriveApi : public TDriveApi, public TFakeLibraries, public TCurrentFake<TFakeDriveApi> {
public:
    TFakeDriveApi()
    {
        Provide("kernel32.dll", FakeKernel32, {{"GetDiskFreeSpaceExA", FunctionCast<FARPROC>(&FreeSpaceEx)}});
    }

    std::string List;          // the drive strings with their NULs
    std::map<std::string, TFakeVolume> Volumes;
    std::vector<std::string> Calls;
    std::vector<DWORD> ListLengths;
    UINT ErrorMode = 0x8000;
    HMODULE Handed = FakeKernel32;  // what GetModuleHandleA last returned

    DWORD GetLogicalDriveStringsA(DWORD length, LPSTR buffer) override
    {
        Calls.push_back("GetLogicalDriveStringsA");
        ListLengths.push_back(length);
        if (FaultPlan.Fails("GetLogicalDriveStringsA")) return 0;
        if (List.size() + 1 > length) return static_cast<DWORD>(List.size() + 1);
        std::memcpy(buffer, List.data(), List.size());
        buffer[List.size()] = '\0';
        return static_cast<DWORD>(List.size());
    }
    BOOL GetVolumeInformationA(LPCSTR root, LPSTR volumeName, DWORD volumeNameSize, LPDWORD serialNumber,
                               LPDWORD maximumComponentLength, LPDWORD fileSystemFlags, LPSTR fileSystemName,
                               DWORD fileSystemNameSize) override
    {
        Calls.push_back(std::string("GetVolumeInformationA ") + root + " mode " + std::to_string(ErrorMode));
        EXPECT_EQ(511u, volumeNameSize);
        EXPECT_EQ(511u, fileSystemNameSize);
        if (FaultPlan.Fails("GetVolumeInformationA")) return FALSE;
        const TFakeVolume& volume = Volumes[root];
        if (!volume.Result) return FALSE;
        std::memcpy(volumeName, volume.VolumeName.c_str(), std::min<size_t>(volume.VolumeName.size() + 1, volumeNameSize));
        std::memcpy(fileSystemName, volume.FileSystemName.c_str(),
                    std::min<size_t>(volume.FileSystemName.size() + 1, fileSystemNameSize));
        *serialNumber = volume.SerialNumber;
        *maximumComponentLength = volume.MaximumComponentLength;
        *fileSystemFlags = volume.FileSystemFlags;
        return TRUE;
    }
    UINT GetDriveTypeA(LPCSTR root) override
    {
        if (FaultPlan.Fails("GetDriveTypeA")) return DRIVE_UNKNOWN;
        return Volumes[root].DriveType;
    }
    UINT SetErrorMode(UINT mode) override
    {
        Calls.push_back("SetErrorMode " + std::to_string(mode));
        const UINT previous = ErrorMode;
        ErrorMode = mode;
        return previous;
    }
    HMODULE GetModuleHandleA(LPCSTR name) override
    {
        EXPECT_STREQ("kernel32.dll", name);
        Handed = FaultPlan.Fails("GetModuleHandleA") ? nullptr : Module(name);
        return Handed;
    }
    FARPROC GetProcAddress(HMODULE module, LPCSTR name) override
    {
        EXPECT_STREQ("GetDiskFreeSpaceExA", name);
        Calls.push_back("GetProcAddress");
        if (FaultPlan.Fails("GetProcAddress")) return nullptr;
        EXPECT_EQ(Handed, module);
        // The null module of a failed GetModuleHandleA finds nothing: the program itself exports no such function.
        return Function(module, name);
    }
    BOOL GetDiskFreeSpaceA(LPCSTR root, LPDWORD sectorsPerCluster, LPDWORD bytesPerSector, LPDWORD freeClusters,
                           LPDWORD totalClusters) override
    {
        Calls.push_back(std::string("GetDiskFreeSpaceA ") + root + " mode " + std::to_string(ErrorMode));
        if (FaultPlan.Fails("GetDiskFreeSpaceA")) return FALSE;
        const TFakeVolume& volume = Volumes[root];
        *sectorsPerCluster = volume.SectorsPerCluster;
        *bytesPerSector = volume.BytesPerSector;
        *freeClusters = volume.FreeClusters;
        *totalClusters = volume.TotalClusters;
        return TRUE;
    }

    static BOOL WINAPI FreeSpaceEx(LPCSTR root, PULARGE_INTEGER available, PULARGE_INTEGER total,
                                   PULARGE_INTEGER free)
    {
        TFakeDriveApi& api = Current();
        api.Calls.push_back(std::string("GetDiskFreeSpaceExA ") + root + " mode " + std::to_string(api.ErrorMode));
        if (FaultPlan.Fails("GetDiskFreeSpaceExA")) return FALSE;
        const TFakeVolume& volume = api.Volumes[root];
        available->QuadPart = volume.FreeBytes / 2;
        total->QuadPart = volume.TotalBytes;
        free->QuadPart = volume.FreeBytes;
        return TRUE;
    }
};

// A floppy drive without a disk, a hard disk and an empty CD drive.
inline void ThreeDrives(TFakeDriveApi& api)
{
    api.List = std::string("A:\\\0C:\\\0D:\\\0", 12);
    api.Volumes["A:\\"].Result = FALSE;
    api.Volumes["A:\\"].DriveType = DRIVE_REMOVABLE;
    TFakeVolume& c = api.Volumes["C:\\"];
    c.VolumeName = "システム";
    c.FileSystemName = "NTFS";
    c.SerialNumber = 0x1234ABCD;
    c.MaximumComponentLength = 255;
    c.FileSystemFlags = 0x3e700ff;
    c.TotalBytes = 500000000000ULL;
    c.FreeBytes = 123456789012ULL;
    c.SectorsPerCluster = 8;
    c.BytesPerSector = 512;
    c.FreeClusters = 250;
    c.TotalClusters = 1000;
    api.Volumes["D:\\"].DriveType = DRIVE_CDROM;
    api.Volumes["D:\\"].FileSystemName = "CDFS";
}

#endif
