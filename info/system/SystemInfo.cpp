#include "info/system/SystemInfo.h"

#include <cstring>
#include <string>

#include "info/BoundedText.h"

TSystemInfo::TSystemInfo(TSystemApi& api, TRegistryApi& registry, TCpuidApi& cpuid)
    : SystemInfo(), Api(api), Registry(registry), Cpuid(cpuid)
{
    Title = "システムの情報を取得中...\n";
}

void TSystemInfo::Collect()
{
    AddHardwareSection();
    AddMemorySection();
    AddOsSection();
    AddNamesSection();
}

void TSystemInfo::AddNamesSection()
{
    const DWORD BufferSize = 1024;
    const UINT DirectorySize = 261;
    char buffer[BufferSize] = {};
    DWORD size = BufferSize;
    if (Api.GetComputerNameA(buffer, &size))
        AddLine(boost::format("Computer name:  %s\n") % PlatformText(buffer, BufferSize));
    size = BufferSize;
    if (Api.GetUserNameA(buffer, &size)) AddLine(boost::format("User name:  %s\n") % PlatformText(buffer, BufferSize));
    // A result above the buffer's size is the size a longer path would need: nothing was written.
    UINT length = Api.GetSystemDirectoryA(buffer, DirectorySize);
    if (length != 0 && length < DirectorySize)
        AddLine(boost::format("System directory:  %s \n") % PlatformText(buffer, DirectorySize));
    length = Api.GetWindowsDirectoryA(buffer, DirectorySize);
    if (length != 0 && length < DirectorySize)
        AddLine(boost::format("Windows directory:  %s \n") % PlatformText(buffer, DirectorySize));
    AddLine(boost::format("Environment variables (partial list): \n"));
    for (const char* source : {"OS=%OS%", "PATH=%PATH%", "TEMP=%TEMP%"}) {
        const DWORD count = Api.ExpandEnvironmentStringsA(source, buffer, BufferSize);
        if (count != 0 && count <= BufferSize) AddLine(boost::format("  %s\n") % PlatformText(buffer, BufferSize));
    }
    AddLine(boost::format("\n"));
}
