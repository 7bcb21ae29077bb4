#include "info/drive/DriveInfo.h"

#include <cstring>

#include "info/BoundedText.h"
#include "info/Kernel32Functions.h"

namespace {

const DWORD ListLength = 1024;
const DWORD NameSize = 512;
// No list of drive roots comes near this; a longer claim is not allocated.
const DWORD ListLimit = 64 * 1024;

}  // namespace

const char* DriveTypeText(UINT driveType)
{
    static const char* const texts[] = {
        "識別不能\n",     "マウントされていない\n", "リムーバブルディスク\n", "固定ディスク\n",
        "ネットワークドライブ\n", "CD-ROM\n",            "RAMドライブ\n",
    };
    return driveType < sizeof(texts) / sizeof(texts[0]) ? texts[driveType] : "";
}

TDriveInfo::TDriveInfo(TDriveApi& api) : TBaseInfo("ドライブ情報を取得中...\n"), Api(api) {}

namespace {

// No "insert a disk" box for an empty card reader or optical drive while any
// of its figures is read: an unattended run would wait for a click.
class TQuietCriticalErrors {
public:
    explicit TQuietCriticalErrors(TDriveApi& api) : Api(api), Previous(api.SetErrorMode(SEM_FAILCRITICALERRORS)) {}
    ~TQuietCriticalErrors() { Api.SetErrorMode(Previous); }
    TQuietCriticalErrors(const TQuietCriticalErrors&) = delete;
    TQuietCriticalErrors& operator=(const TQuietCriticalErrors&) = delete;

private:
    TDriveApi& Api;
    UINT Previous;
};

}  // namespace

void TDriveInfo::Collect(const OsVersionRecord&)
{
    ListDrives();
    {
        TQuietCriticalErrors quiet(Api);
        ReadVolumes();
        ReadFreeSpace();
    }
    WriteDriveSection(Drives, Section);
}

void TDriveInfo::ListDrives()
{
    // Two spare NULs past what the platform may fill end every walk inside the buffer.
    std::vector<char> buffer(ListLength + 2, '\0');
    DWORD length = Api.GetLogicalDriveStringsA(ListLength, buffer.data());
    // A longer list: ask again with the size it asked for (it may still grow).
    for (int attempt = 0; attempt < 4 && length > buffer.size() - 2; ++attempt) {
        if (length >= ListLimit) return;
        const DWORD asked = length + 1;
        buffer.assign(static_cast<size_t>(asked) + 2, '\0');
        length = Api.GetLogicalDriveStringsA(asked, buffer.data());
    }
    if (length == 0 || length > buffer.size() - 2) return;

    const char* at = buffer.data();
    const char* const end = buffer.data() + length;
    while (at < end && *at != '\0') {
        const size_t size = strnlen(at, static_cast<size_t>(end - at));
        DriveRecord record;
        record.RootPath.assign(at, size);
        Drives.push_back(record);
        at += size + 1;
    }
}

void TDriveInfo::ReadVolumes()
{
    for (DriveRecord& record : Drives) {
        DWORD serialNumber = 0;
        DWORD maximumComponentLength = 0;
        DWORD flags = 0;
        char volumeName[NameSize] = {};
        char fileSystemName[NameSize] = {};
        Api.GetVolumeInformationA(record.RootPath.c_str(), volumeName, NameSize - 1, &serialNumber,
                                  &maximumComponentLength, &flags, fileSystemName, NameSize - 1);
        // The last byte stays NUL whatever the platform wrote into the rest.
        record.VolumeName = PlatformText(volumeName, NameSize - 1);
        record.FileSystemName = PlatformText(fileSystemName, NameSize - 1);
        record.SerialNumber = serialNumber;
        record.MaximumComponentLength = maximumComponentLength;
        record.FileSystemFlags = flags;
        record.DriveType = Api.GetDriveTypeA(record.RootPath.c_str());
    }
}

void TDriveInfo::ReadFreeSpace()
{
    for (DriveRecord& record : Drives) {
        const auto getDiskFreeSpaceEx =
            FindFunction<Kernel32::GetDiskFreeSpaceExA>(TLoadedModule(Api, "kernel32.dll"));
        if (getDiskFreeSpaceEx != nullptr) {
            ULARGE_INTEGER available = {};
            ULARGE_INTEGER total = {};
            ULARGE_INTEGER free = {};
            getDiskFreeSpaceEx(record.RootPath.c_str(), &available, &total, &free);
            record.TotalBytes = total.QuadPart;
            record.FreeBytes = free.QuadPart;
        } else {
            DWORD sectorsPerCluster = 0;
            DWORD bytesPerSector = 0;
            DWORD freeClusters = 0;
            DWORD totalClusters = 0;
            Api.GetDiskFreeSpaceA(record.RootPath.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters,
                                  &totalClusters);
            const ULONGLONG cluster = static_cast<ULONGLONG>(sectorsPerCluster) * bytesPerSector;
            record.TotalBytes = totalClusters * cluster;
            record.FreeBytes = freeClusters * cluster;
        }
    }
}

void WriteDriveSection(const std::vector<DriveRecord>& drives, TSection& section)
{
    section.AddLine(boost::format("Drive information: \n"));
    for (const DriveRecord& record : drives) {
        section.AddLine(boost::format("Drive : %s\n") % record.RootPath);
        section.AddLine(boost::format(" VolumeName: %s\n") % record.VolumeName);
        section.AddLine(boost::format(" FileSystem: %s\n") % record.FileSystemName);
        section.AddLine(boost::format(" FileSystemFlag: %x\n") % record.FileSystemFlags);
        section.AddLine(boost::format(" SerialNumber: %x\n") % record.SerialNumber);
        section.AddLine(boost::format(" MaximumComponentLength : %d\n") % record.MaximumComponentLength);
        section.AddLine(boost::format(" nDriveType: "));
        if (record.DriveType <= 6) section.AddLine(boost::format(DriveTypeText(record.DriveType)));
        section.AddLine(boost::format(" TotalBytes: %d\n") % record.TotalBytes);
        section.AddLine(boost::format(" FreeBytes: %d\n") % record.FreeBytes);
        section.AddLine(boost::format("\n"));
    }
}
