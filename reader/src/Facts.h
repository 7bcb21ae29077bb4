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
    // One " Display:" line of an adapter, in pieces. Panel, Hdr, Connection and
    // Monitor are what newer envcheck writes where Windows says.
    struct Output {
        std::string Device, Hdr, Connection, Monitor;  // Hdr: "on", "off" or empty
        long long Width = -1, Height = -1, Refresh = -1, Panel = -1, Scale = -1;
        bool Primary = false;
        bool Newer() const { return Panel >= 0 || !Hdr.empty() || !Connection.empty() || !Monitor.empty(); }
    };
    struct GraphicsAdapter {
        long long Index = -1;
        std::string Description, VendorId, DeviceId, DedicatedVideo, DriverVersion;
        bool Software = false;
        std::vector<std::string> Displays;
        std::vector<Output> Outputs;  // one for each of Displays
        // " Preference:" and " Direct3D:", each where the report has the line.
        bool HighPerformance = false, MinimumPower = false;
        bool HasPreference() const { return HighPerformance || MinimumPower; }
        bool HasDirect3D = false, Direct3D12 = false;
        std::string FeatureLevel, ShaderModel;  // "12_1", "6.7"; empty where unknown
        long long Level = -1;                   // the feature level comparable: 12_1 is 1201
    };
    // A line of the closing section's "Display devices:" list.
    struct DisplayDevice {
        std::string Name, DriverVersion, DriverDate, State, Meaning;  // State: working, disabled, problem, unknown
        long long Problem = -1;  // the device's problem code; 22 when disabled
        bool BasicDriver = false;  // Windows' own display driver
    };
    // One name of " Processor features:"; OffInWindows: the CPU has it, but Windows does not save its state.
    struct Feature {
        std::string Name;
        bool OffInWindows = false;
    };
    // One product of " Security software:".
    struct SecurityProduct {
        std::string Name, State, Definitions;  // State: on, off, snoozed, expired; Definitions: up to date, out of date
    };
    // A line of "Recent program crashes (30 days):"; Exception is empty on Windows XP.
    struct Crash {
        std::string Line, Time, Program, ProgramVersion, Module, ModuleVersion, Exception, Offset;  // Line: as written
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
    bool RemoteSession = false;
    bool DisplayDevicesListed = false;  // the report has the list (newer envcheck)
    std::vector<DisplayDevice> DisplayDevices;
    // The Windows block's newer lines, each where the report has it; values as written
    // ("unknown" too), empty where the line is not there.
    std::string ProcessorFeatures;  // the line's value
    bool FeaturesKnown = false;     // the line lists what the CPU has ("none" too), not "unknown"
    std::vector<Feature> Features;
    std::string Firmware, SecureBoot;  // "UEFI", "BIOS"; SecureBoot only with UEFI
    std::string Tpm, MemoryIntegrity, TestSigning;
    bool SecuritySoftwareListed = false;
    std::vector<SecurityProduct> SecurityProducts;
    std::string VcRuntimeX86, VcRuntimeX64;  // a version, "installed" or "missing"; x64 only on 64-bit Windows
    std::string DotNet;
    bool DirectX9ExtrasListed = false;
    std::vector<std::string> DirectX9Present, DirectX9Missing;
    std::string PowerPlan, BatterySaver;  // BatterySaver: "on", "off", or empty before Windows 10
    bool CrashesListed = false;  // the report has the block (" (none)" too)
    std::vector<Crash> Crashes;
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
