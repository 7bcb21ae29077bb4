#include "info/system/SystemInfo.h"

#include "info/BoundedText.h"

TSystemInfo::TSystemInfo(TSystemApi& api, TRegistryApi& registry, TCpuidApi& cpuid)
    : TBaseInfo("システムの情報を取得中...\n"), Api(api), Registry(registry), Cpuid(cpuid)
{
}

void TSystemInfo::Collect(const OsVersionRecord& version)
{
    WriteHardwareSection(ReadHardware(), Section);
    WriteMemorySection(ReadMemory(), Section);
    WriteOsSection(ReadOs(version), version, Section);
    WriteNamesSection(ReadNames(), Section);
}

NamesRecord TSystemInfo::ReadNames()
{
    const DWORD BufferSize = 1024;
    const UINT DirectorySize = 261;
    char buffer[BufferSize] = {};
    NamesRecord record;
    DWORD size = BufferSize;
    if (Api.GetComputerNameA(buffer, &size)) record.ComputerName = PlatformText(buffer, BufferSize);
    size = BufferSize;
    if (Api.GetUserNameA(buffer, &size)) record.UserName = PlatformText(buffer, BufferSize);
    // A result above the buffer's size is the size a longer path would need: nothing was written.
    UINT length = Api.GetSystemDirectoryA(buffer, DirectorySize);
    if (length != 0 && length < DirectorySize) record.SystemDirectory = PlatformText(buffer, DirectorySize);
    length = Api.GetWindowsDirectoryA(buffer, DirectorySize);
    if (length != 0 && length < DirectorySize) record.WindowsDirectory = PlatformText(buffer, DirectorySize);
    for (const char* source : {"OS=%OS%", "PATH=%PATH%", "TEMP=%TEMP%"}) {
        const DWORD count = Api.ExpandEnvironmentStringsA(source, buffer, BufferSize);
        if (count != 0 && count <= BufferSize) record.Environment.push_back(PlatformText(buffer, BufferSize));
    }
    return record;
}

void WriteNamesSection(const NamesRecord& record, TSection& section)
{
    if (record.ComputerName) section.AddLine(boost::format("Computer name:  %s\n") % *record.ComputerName);
    if (record.UserName) section.AddLine(boost::format("User name:  %s\n") % *record.UserName);
    if (record.SystemDirectory) section.AddLine(boost::format("System directory:  %s \n") % *record.SystemDirectory);
    if (record.WindowsDirectory) section.AddLine(boost::format("Windows directory:  %s \n") % *record.WindowsDirectory);
    section.AddLine(boost::format("Environment variables (partial list): \n"));
    for (const std::string& variable : record.Environment) section.AddLine(boost::format("  %s\n") % variable);
    section.AddLine(boost::format("\n"));
}
