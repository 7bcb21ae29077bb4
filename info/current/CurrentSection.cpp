#include "info/current/CurrentSystemInfo.h"

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
            switch (build) {
            case 14393:
                return "Windows Server 2016";
            case 17763:
                return "Windows Server 2019";
            case 20348:
                return "Windows Server 2022";
            case 26100:
                return "Windows Server 2025";
            default:
                return (boost::format("Windows Server (build %u)") % build).str();
            }
        }
    }
    return (boost::format("Windows %u.%u") % major % minor).str();
}

const char* MachineText(USHORT machine)
{
    switch (machine) {
    case IMAGE_FILE_MACHINE_I386:
        return "x86";
    case IMAGE_FILE_MACHINE_AMD64:
        return "x64";
    case IMAGE_FILE_MACHINE_ARM64:
        return "ARM64";
    case IMAGE_FILE_MACHINE_IA64:
        return "IA64";
    default:
        return "unknown";
    }
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

void TCurrentSystemInfo::WriteSection(bool dxgi)
{
    AddLine(boost::format("Current system information:\n"));
    if (Windows.HasVersion) AddLine(boost::format(" Windows: %s\n") % WindowsLineText(Windows));
    if (!Windows.DisplayVersion.empty()) AddLine(boost::format(" Version: %s\n") % Windows.DisplayVersion);
    if (Windows.HasVersion && Windows.HasUbr)
        AddLine(boost::format(" Build: %u.%u.%u.%u\n") % Windows.Major % Windows.Minor % Windows.Build % Windows.Ubr);
    AddLine(boost::format(" Windows architecture: %s\n") % MachineText(Windows.NativeMachine));
    AddLine(boost::format(" envcheck runs as: %s\n") % RunsAsText(Windows));
    AddLine(boost::format(" Power: %s\n") % PowerText(Windows));
    if (!dxgi) AddLine(boost::format(" DXGIが利用できません。\n"));
    if (!Adapters.empty() || FAILED(AdaptersFailure)) AddLine(boost::format("\n"));
    for (const GraphicsAdapterRecord& record : Adapters) WriteAdapter(record);
    if (FAILED(AdaptersFailure))
        AddLine(boost::format("グラフィックアダプタの列挙に失敗しました。(HRESULT 0x%08X)\n") %
                static_cast<ULONG>(AdaptersFailure));
    AddLine(boost::format("\n"));
}

void TCurrentSystemInfo::WriteAdapter(const GraphicsAdapterRecord& record)
{
    AddLine(boost::format("Graphics adapter %u: %s%s\n") % record.Index % record.Description %
            (record.Software ? " (software)" : ""));
    AddLine(boost::format(" VendorId: 0x%04X  DeviceId: 0x%04X  SubSysId: 0x%08X  Revision: %u\n") % record.VendorId %
            record.DeviceId % record.SubSysId % record.Revision);
    AddLine(boost::format(" Dedicated video memory: %s\n") % MemoryText(record.DedicatedVideoMemory));
    AddLine(boost::format(" Dedicated system memory: %s\n") % MemoryText(record.DedicatedSystemMemory));
    AddLine(boost::format(" Shared system memory: %s\n") % MemoryText(record.SharedSystemMemory));
    if (record.HasDriverVersion) {
        const DWORD high = static_cast<DWORD>(record.DriverVersion.HighPart);
        const DWORD low = record.DriverVersion.LowPart;
        AddLine(boost::format(" Driver version: %u.%u.%u.%u\n") % (high >> 16) % (high & 0xFFFF) % (low >> 16) %
                (low & 0xFFFF));
    }
    for (const DisplayRecord& display : record.Displays) {
        std::string line = " Display: " + display.DeviceName;
        if (display.HasMode) {
            line += (boost::format(" %u x %u") % display.Width % display.Height).str();
            // 0 and 1 stand for the hardware's default rate, which is not known here.
            if (display.Refresh > 1) line += (boost::format(" %u Hz") % display.Refresh).str();
        }
        line += ", " + ScaleText(display.Dpi);
        if (display.Primary) line += ", primary";
        AddLine(boost::format("%s\n") % line);
    }
    if (FAILED(record.OutputsFailure))
        AddLine(boost::format(" ディスプレイの列挙に失敗しました。(HRESULT 0x%08X)\n") %
                static_cast<ULONG>(record.OutputsFailure));
}
