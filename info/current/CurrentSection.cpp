#include "info/current/CurrentSystemInfo.h"

#include "info/Lookup.h"

std::string WindowsProductName(const WindowsRecord& windows)
{
    const DWORD major = windows.Major;
    const DWORD minor = windows.Minor;
    if (windows.PlatformId == VER_PLATFORM_WIN32_WINDOWS) {
        if (major == 4 && minor == 0) return "Windows 95";
        if (major == 4 && minor == 10) return "Windows 98";
        if (major == 4 && minor == 90) return "Windows Me";
    }
    if (windows.PlatformId == VER_PLATFORM_WIN32_NT) {
        const bool server = windows.ProductType != VER_NT_WORKSTATION;
        const DWORD build = windows.Build;
        if (major <= 4) return (boost::format("Windows NT %u.%u") % major % minor).str();
        if (major == 5 && minor == 0) return "Windows 2000";
        if (major == 5 && minor == 1) return "Windows XP";
        // The 64-bit XP shares its version with Server 2003.
        if (major == 5 && minor == 2) return server ? "Windows Server 2003" : "Windows XP";
        if (major == 6 && minor == 0) return server ? "Windows Server 2008" : "Windows Vista";
        if (major == 6 && minor == 1) return server ? "Windows Server 2008 R2" : "Windows 7";
        if (major == 6 && minor == 2) return server ? "Windows Server 2012" : "Windows 8";
        if (major == 6 && minor == 3) return server ? "Windows Server 2012 R2" : "Windows 8.1";
        // Windows 11 is still 10.0; the registry's ProductName says "Windows 10" there. Enterprise
        // multi-session is a client that calls itself a server.
        if (major == 10 && minor == 0 && (!server || windows.EditionId == "ServerRdsh"))
            return build >= 22000 ? "Windows 11" : "Windows 10";
        if (major == 10 && minor == 0) {
            // Each long-term release has one build; the others are semi-annual releases.
            const char* release = Lookup<DWORD, const char*>(build,
                                                             {{14393, "Windows Server 2016"},
                                                              {17763, "Windows Server 2019"},
                                                              {20348, "Windows Server 2022"},
                                                              {26100, "Windows Server 2025"}},
                                                             nullptr);
            return release != nullptr ? release : (boost::format("Windows Server (build %u)") % build).str();
        }
    }
    return (boost::format("Windows %u.%u") % major % minor).str();
}

const char* MachineText(USHORT machine)
{
    return Lookup<USHORT, const char*>(machine,
                                       {{IMAGE_FILE_MACHINE_I386, "x86"},
                                        {IMAGE_FILE_MACHINE_AMD64, "x64"},
                                        {IMAGE_FILE_MACHINE_ARM64, "ARM64"},
                                        {IMAGE_FILE_MACHINE_IA64, "IA64"}},
                                       "unknown");
}

std::string WindowsLineText(const WindowsRecord& windows)
{
    std::string line = WindowsProductName(windows);
    if (!windows.EditionId.empty()) line += " " + windows.EditionId;
    if (windows.CompatibilityMode) {
        WindowsRecord told = windows;
        told.PlatformId = windows.ToldPlatformId;
        told.Major = windows.ToldMajor;
        told.Minor = windows.ToldMinor;
        told.Build = windows.ToldBuild;
        line += " (envcheck runs in compatibility mode for " + WindowsProductName(told) + ")";
    }
    return line;
}

std::string RunsAsText(const WindowsRecord& windows)
{
    const std::string own = MachineText(windows.ProcessMachine);
    if (windows.ProcessMachine == windows.NativeMachine) return own;
    if (windows.NativeMachine == IMAGE_FILE_MACHINE_AMD64 && windows.ProcessMachine == IMAGE_FILE_MACHINE_I386)
        return "x86 on x64 (WOW64)";
    if (windows.NativeMachine == IMAGE_FILE_MACHINE_ARM64) return own + " on ARM64 (emulated)";
    return own + " on " + MachineText(windows.NativeMachine);
}

std::string PowerText(const WindowsRecord& windows)
{
    if (!windows.HasPower) return "unknown";
    const SYSTEM_POWER_STATUS& power = windows.Power;
    if (power.ACLineStatus == 1) return "AC";
    if (power.ACLineStatus != 0) return "unknown";
    // 255: the battery's charge is not known.
    if (power.BatteryLifePercent > 100) return "battery";
    return (boost::format("battery %u%%") % unsigned(power.BatteryLifePercent)).str();
}

std::string MemoryText(const MemoryFigure& figure)
{
    if (figure.AtLeast) return "4095 MB or more";
    return (boost::format("%u MB") % (figure.Bytes >> 20)).str();
}

std::string ScaleText(UINT dpi)
{
    if (dpi == 0) return "scale unknown";
    // Percent of 96 dots per inch, to the nearest whole.
    return (boost::format("scale %u%%") % ((dpi * 100 + 48) / 96)).str();
}

std::string LowerAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string FeatureLevelText(UINT level)
{
    if (level == 0) return "unknown";
    return (boost::format("%u_%u") % (level >> 12) % ((level >> 8) & 0xF)).str();
}

std::string ShaderModelText(UINT model) { return (boost::format("%u.%u") % (model >> 4) % (model & 0xF)).str(); }

std::string Direct3DText(const Direct3DRecord& direct3D)
{
    std::string text = "feature level " + FeatureLevelText(direct3D.FeatureLevel);
    if (direct3D.Direct3D12) text += ", Direct3D 12";
    if (direct3D.Direct3D12 && direct3D.ShaderModel != 0)
        text += " shader model " + ShaderModelText(direct3D.ShaderModel);
    return text;
}

const char* ConnectionText(UINT32 technology)
{
    using T = DISPLAYCONFIG_VIDEO_OUTPUT_TECHNOLOGY;
    return Lookup<T, const char*>(static_cast<T>(technology),
                                  {{DISPLAYCONFIG_OUTPUT_TECHNOLOGY_HD15, "VGA"},
                                   {DISPLAYCONFIG_OUTPUT_TECHNOLOGY_SVIDEO, "S-Video"},
                                   {DISPLAYCONFIG_OUTPUT_TECHNOLOGY_COMPOSITE_VIDEO, "composite"},
                                   {DISPLAYCONFIG_OUTPUT_TECHNOLOGY_COMPONENT_VIDEO, "component"},
                                   {DISPLAYCONFIG_OUTPUT_TECHNOLOGY_DVI, "DVI"},
                                   {DISPLAYCONFIG_OUTPUT_TECHNOLOGY_HDMI, "HDMI"},
                                   // A laptop's own panel, however it is wired.
                                   {DISPLAYCONFIG_OUTPUT_TECHNOLOGY_LVDS, "internal"},
                                   {DISPLAYCONFIG_OUTPUT_TECHNOLOGY_DISPLAYPORT_EMBEDDED, "internal"},
                                   {DISPLAYCONFIG_OUTPUT_TECHNOLOGY_UDI_EMBEDDED, "internal"},
                                   {DISPLAYCONFIG_OUTPUT_TECHNOLOGY_INTERNAL, "internal"},
                                   {DISPLAYCONFIG_OUTPUT_TECHNOLOGY_D_JPN, "D-terminal"},
                                   {DISPLAYCONFIG_OUTPUT_TECHNOLOGY_SDI, "SDI"},
                                   {DISPLAYCONFIG_OUTPUT_TECHNOLOGY_DISPLAYPORT_EXTERNAL, "DisplayPort"},
                                   {DISPLAYCONFIG_OUTPUT_TECHNOLOGY_UDI_EXTERNAL, "UDI"},
                                   {DISPLAYCONFIG_OUTPUT_TECHNOLOGY_SDTVDONGLE, "SDTV dongle"},
                                   {DISPLAYCONFIG_OUTPUT_TECHNOLOGY_MIRACAST, "Miracast"},
                                   {DISPLAYCONFIG_OUTPUT_TECHNOLOGY_INDIRECT_WIRED, "indirect wired"},
                                   {DISPLAYCONFIG_OUTPUT_TECHNOLOGY_INDIRECT_VIRTUAL, "indirect virtual"}},
                                  "other");
}

std::string DisplayText(const DisplayRecord& display)
{
    std::string line = display.DeviceName;
    if (display.HasMode) {
        line += (boost::format(" %u x %u") % display.Width % display.Height).str();
        // 0 and 1 stand for the hardware's default rate, which is not known here.
        if (display.Refresh > 1) line += (boost::format(" %u Hz") % display.Refresh).str();
        // A rate a hertz or two above is the same one counted another way (59.94 Hz as 59 and as 60).
        if (display.Refresh > 1 && display.PanelRefresh > display.Refresh + 2)
            line += (boost::format(" (panel up to %u Hz)") % display.PanelRefresh).str();
    }
    line += ", " + ScaleText(display.Dpi);
    if (display.Primary) line += ", primary";
    if (display.HdrSupported) line += display.HdrOn ? ", HDR on" : ", HDR off";
    if (display.HasConnection) line += std::string(", ") + ConnectionText(display.Connection);
    if (!display.MonitorName.empty()) line += ", \"" + display.MonitorName + "\"";
    return line;
}

namespace {

// What Device Manager says of the problems that stop a graphics card most often.
const char* ProblemMeaning(ULONG problem)
{
    return Lookup<ULONG, const char*>(
        problem,
        {{CM_PROB_FAILED_START, "the device cannot start"},
         {CM_PROB_NORMAL_CONFLICT, "the device cannot find enough free resources"},
         {CM_PROB_NEED_RESTART, "the device needs the computer restarted"},
         {CM_PROB_REINSTALL, "its driver must be reinstalled"},
         {CM_PROB_FAILED_INSTALL, "no driver is installed"},
         {CM_PROB_FAILED_ADD, "Windows cannot load its driver"},
         {CM_PROB_FAILED_DRIVER_ENTRY, "Windows cannot initialize its driver"},
         {CM_PROB_FAILED_POST_START, "Windows stopped this device because it reported problems"},
         {CM_PROB_UNSIGNED_DRIVER, "Windows cannot verify its driver's digital signature"}},
        nullptr);
}

}  // namespace

std::string DeviceStateText(const DisplayDeviceRecord& device)
{
    if (!device.HasStatus) return "unknown";
    // Device Manager calls a device without a problem one that works.
    if ((device.Status & DN_HAS_PROBLEM) == 0) return "working";
    if (device.Problem == CM_PROB_DISABLED) return "disabled";
    std::string text = (boost::format("problem %u") % device.Problem).str();
    if (const char* meaning = ProblemMeaning(device.Problem)) text += std::string(" (") + meaning + ")";
    return text;
}

std::string DisplayDeviceText(const DisplayDeviceRecord& device)
{
    std::string line = (device.Name.empty() ? "unknown" : device.Name) + ": driver " +
                       (device.DriverVersion.empty() ? "unknown" : device.DriverVersion);
    if (!device.DriverDate.empty()) line += " of " + device.DriverDate;
    line += ", " + DeviceStateText(device);
    if (device.BasicDriver) line += " (no vendor driver)";
    return line;
}

std::string DriverDateText(const std::string& date)
{
    // Month-day-year, as the driver's INF file gives it.
    unsigned parts[3] = {};
    size_t part = 0;
    size_t digits = 0;
    for (const char c : date) {
        if (c == '-' && digits != 0 && part < 2) {
            ++part;
            digits = 0;
        } else if (c >= '0' && c <= '9' && digits < 4) {
            parts[part] = parts[part] * 10 + static_cast<unsigned>(c - '0');
            ++digits;
        } else {
            return std::string();
        }
    }
    if (part != 2 || digits != 4 || parts[0] < 1 || parts[0] > 12 || parts[1] < 1 || parts[1] > 31)
        return std::string();
    return (boost::format("%04u-%02u-%02u") % parts[2] % parts[0] % parts[1]).str();
}

namespace {

void WriteAdapter(const GraphicsAdapterRecord& record, TSection& section)
{
    section.AddLine(boost::format("Graphics adapter %u: %s%s\n") % record.Index % record.Description %
                    (record.Software ? " (software)" : ""));
    if (record.HighPerformance || record.MinimumPower)
        section.AddLine(boost::format(" Preference: %s\n") % (record.HighPerformance && record.MinimumPower
                                                                  ? "high performance, minimum power"
                                                              : record.HighPerformance ? "high performance"
                                                                                       : "minimum power"));
    if (record.Direct3D.Asked || record.Direct3D.Direct3D12)
        section.AddLine(boost::format(" Direct3D: %s\n") % Direct3DText(record.Direct3D));
    section.AddLine(boost::format(" VendorId: 0x%04X  DeviceId: 0x%04X  SubSysId: 0x%08X  Revision: %u\n") %
                    record.VendorId % record.DeviceId % record.SubSysId % record.Revision);
    section.AddLine(boost::format(" Dedicated video memory: %s\n") % MemoryText(record.DedicatedVideoMemory));
    section.AddLine(boost::format(" Dedicated system memory: %s\n") % MemoryText(record.DedicatedSystemMemory));
    section.AddLine(boost::format(" Shared system memory: %s\n") % MemoryText(record.SharedSystemMemory));
    if (record.HasDriverVersion) {
        const DWORD high = static_cast<DWORD>(record.DriverVersion.HighPart);
        const DWORD low = record.DriverVersion.LowPart;
        section.AddLine(boost::format(" Driver version: %u.%u.%u.%u\n") % (high >> 16) % (high & 0xFFFF) % (low >> 16) %
                        (low & 0xFFFF));
    }
    for (const DisplayRecord& display : record.Displays)
        section.AddLine(boost::format(" Display: %s\n") % DisplayText(display));
    if (FAILED(record.OutputsFailure))
        section.AddLine(boost::format(" ディスプレイの列挙に失敗しました。(HRESULT 0x%08X)\n") %
                        static_cast<ULONG>(record.OutputsFailure));
}

}  // namespace

void WriteCurrentSection(const CurrentSystemRecord& record, TSection& section)
{
    section.AddLine(boost::format("Current system information:\n"));
    if (record.Windows.HasVersion) section.AddLine(boost::format(" Windows: %s\n") % WindowsLineText(record.Windows));
    if (!record.Windows.DisplayVersion.empty())
        section.AddLine(boost::format(" Version: %s\n") % record.Windows.DisplayVersion);
    if (record.Windows.HasVersion && record.Windows.HasUbr)
        section.AddLine(boost::format(" Build: %u.%u.%u.%u\n") % record.Windows.Major % record.Windows.Minor %
                        record.Windows.Build % record.Windows.Ubr);
    section.AddLine(boost::format(" Windows architecture: %s\n") % MachineText(record.Windows.NativeMachine));
    section.AddLine(boost::format(" envcheck runs as: %s\n") % RunsAsText(record.Windows));
    section.AddLine(boost::format(" Power: %s\n") % PowerText(record.Windows));
    if (record.Windows.RemoteSession) section.AddLine(boost::format(" Remote session: yes\n"));
    WritePrerequisiteLines(record.Prerequisites, record.Windows, section);
    if (!record.HasDxgi) section.AddLine(boost::format(" DXGIが利用できません。\n"));
    if (!record.Adapters.empty() || FAILED(record.AdaptersFailure) || !record.DisplayDevices.empty() ||
        record.HasCrashLog)
        section.AddLine(boost::format("\n"));
    for (const GraphicsAdapterRecord& adapter : record.Adapters) WriteAdapter(adapter, section);
    if (FAILED(record.AdaptersFailure))
        section.AddLine(boost::format("グラフィックアダプタの列挙に失敗しました。(HRESULT 0x%08X)\n") %
                        static_cast<ULONG>(record.AdaptersFailure));
    if (!record.DisplayDevices.empty()) section.AddLine(boost::format("Display devices:\n"));
    for (const DisplayDeviceRecord& device : record.DisplayDevices)
        section.AddLine(boost::format(" %s\n") % DisplayDeviceText(device));
    if (record.HasCrashLog) section.AddLine(boost::format("Recent program crashes (30 days):\n"));
    if (record.HasCrashLog && record.Crashes.empty()) section.AddLine(boost::format(" (none)\n"));
    for (const CrashRecord& crash : record.Crashes) section.AddLine(boost::format(" %s\n") % CrashText(crash));
    section.AddLine(boost::format("\n"));
}
