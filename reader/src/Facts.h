#ifndef ENVCHECK_READER_FACTS_H
#define ENVCHECK_READER_FACTS_H

#include <string>
#include <vector>

#include "Report.h"

namespace reader {

// What support asks of a report, taken from its model; texts in UTF-8,
// numbers -1 and texts empty where the report does not say.
struct Facts {
    struct Display {
        std::string Device, Description, Manufacturer, VendorId, DeviceId, DriverVersion, DriverDate, Mode;
        long long Width = -1, Height = -1, Refresh = -1;
    };
    struct Sound {
        std::string Description, DriverVersion, DriverDate;
        bool Default = false;  // Windows' default playback device
    };
    struct Failure {
        std::string Section, Line;  // a collector's line in place of its data
    };
    struct Process {
        long long Pid = -1;
        std::string Name, Path;
    };
    struct Service {
        std::string Kind, DisplayName, Name, State;  // Kind: service or driver
    };
    struct Drive {
        std::string Root, VolumeName, FileSystem, Type;
        long long Total = -1, Free = -1;
    };
    struct NetworkAdapter {
        std::string Name, Description, Address, Ip, Mask, Gateway;
        bool Dhcp = false;
    };
    struct GraphicsAdapter {
        long long Index = -1;
        std::string Description, VendorId, DeviceId, DedicatedVideo, DriverVersion;
        bool Software = false;
        std::vector<std::string> Displays;
    };

    std::string CpuName, CpuId, Vendor;
    long long Clock = -1, Processors = -1, Family = -1, ExtendedFamily = -1, TrueFamily = -1, Model = -1,
              Stepping = -1;
    long long MemoryTotal = -1, MemoryFree = -1;
    std::string OsRow, OsProduct, OsEdition, OsServicePack;
    long long OsBuild = -1;
    std::string Computer, User, SystemDirectory, WindowsDirectory;
    std::string ReportDate, DirectX;  // ReportDate: YYYY-MM-DD hh:mm:ss
    long long OsMajor = -1;
    bool DirectXFailed = false;
    std::string D3d9Description, D3d9DriverVersion, D3d9Whql, D3d9VendorId, D3d9DeviceId;  // ids as 0x10DE
    std::vector<Display> Displays;
    std::vector<Sound> SoundDevices;
    std::vector<Process> Processes;
    std::vector<Service> Services;
    std::string Host, Domain;
    std::vector<std::string> DnsServers;
    std::vector<NetworkAdapter> NetworkAdapters;
    std::vector<Drive> Drives;
    std::string Windows, WindowsVersion, WindowsBuild, WindowsArchitecture, RunsAs, Power;
    std::vector<GraphicsAdapter> Adapters;
    std::vector<std::string> Sections;   // the ids of the sections the report holds, in order
    std::vector<std::string> Missing;    // those every report has that this one lacks (a cut file)
    std::vector<Failure> Failures;
    bool ServicesSkipped = false;        // Windows 9x: the service list is not asked for
    std::vector<Problem> Problems;       // numbers no report can have, with their lines

    bool Has(const std::string& section) const;
};

Facts FactsOf(const Report& report);

// "12/9/2026, 15:14:26" or "1/1/2016 10:00:00" as "2026-12-09 15:14:26"; empty when it is not such a date.
std::string IsoDate(const std::string& english);
// Family + Extended Family: the report prints the extended family shifted into place.
long long TrueFamily(long long family, long long extended);

}  // namespace reader

#endif
