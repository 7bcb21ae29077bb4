#include <cstring>

#include "info/Kernel32Functions.h"
#include "info/Registry.h"
#include "info/system/CpuIdentity.h"
#include "info/system/SystemInfo.h"

namespace {

// An address as the report has always shown it: upper-case hexadecimal, at
// least 8 digits (a 64-bit build's addresses keep their upper digits). The
// stream formats it, not the C runtime: Windows 2000's has no 64-bit conversion.
std::string PointerText(const void* address)
{
    return (boost::format("%08X") % static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(address))).str();
}

}  // namespace

void TSystemInfo::AddHardwareSection()
{
    CpuIdentity cpu = {};
    IdentifyCpu(&cpu, Cpuid);
    Api.GetSystemInfo(&SystemInfo);
    AddLine(boost::format("Hardware information: \n"));

    // Closed when the section is written: nothing after it asks the platform.
    TRegistry processor(Registry);
    processor.OpenKey(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0");
    if (processor.ReadValue("ProcessorNameString") && processor.ValueType == REG_SZ)
        AddLine(boost::format("ProcessorName: %s\n") % processor.DataText());
    if (processor.ReadValue("Identifier") && processor.ValueType == REG_SZ)
        AddLine(boost::format("ID: %s\n") % processor.DataText());
    if (processor.ReadValue("~MHz") && processor.ValueType == REG_DWORD && processor.DataSize >= 4) {
        DWORD clock = 0;
        std::memcpy(&clock, processor.Data, sizeof(clock));
        AddLine(boost::format("Clock: %d MHz\n") % clock);
    }

    AddLine(boost::format("  OEM ID: %u\n") % static_cast<DWORD>(SystemInfo.dwOemId));
    AddLine(boost::format("  Number of processors: %u\n") % SystemInfo.dwNumberOfProcessors);
    AddLine(boost::format("  Processor type: %u\n") % SystemInfo.dwProcessorType);

    AddLine(boost::format("  CPUID: %x\n") % cpu.Signature);
    AddLine(boost::format("  Vendor name: %s\n") % cpu.Vendor);
    AddLine(boost::format("  Model: %s\n") % cpu.Name);
    AddLine(boost::format("  Family: %d\n") % cpu.Family);
    AddLine(boost::format("  Extended Family: %d\n") % cpu.ExtendedFamily);
    AddLine(boost::format("  Model: %d\n") % cpu.Model);
    AddLine(boost::format("  Stepping: %d\n") % cpu.Stepping);
    AddLine(boost::format("   feature: %08x\n") % cpu.Features);
    const int present = cpu.TestedFeatures & cpu.Features;
    if (present & CpuFeatureMmx) AddLine(boost::format("   MMX Support.\n"));
    if (present & CpuFeatureSse) AddLine(boost::format("   SSE Support.\n"));
    if (present & CpuFeatureSse2) AddLine(boost::format("   SSE2 Support.\n"));
    if (present & CpuFeature3DNow) AddLine(boost::format("   3DNOW Support.\n"));
    if (present & CpuFeatureHyperThreading)
        AddLine(boost::format("   HyperThreading Support. ( %s )\n") %
                (cpu.LogicalProcessors > 1 ? "Enable" : "Disable"));
    if (present & CpuFeatureIa64) AddLine(boost::format("   IA64 Support.\n"));

    AddLine(boost::format("  Page size: %u\n") % SystemInfo.dwPageSize);
    AddLine(boost::format("  Minimum application address: %lx\n") % PointerText(SystemInfo.lpMinimumApplicationAddress));
    AddLine(boost::format("  Maximum application address: %lx\n") % PointerText(SystemInfo.lpMaximumApplicationAddress));
    AddLine(boost::format("  Active processor mask: %u\n") % static_cast<DWORD>(SystemInfo.dwActiveProcessorMask));
    AddLine(boost::format("\n"));
}

void TSystemInfo::AddMemorySection()
{
    const auto globalMemoryStatusEx =
        FindFunction<Kernel32::GlobalMemoryStatusEx>(TLoadedModule(Api, "kernel32.dll"));
    ULONGLONG values[6] = {};
    if (globalMemoryStatusEx != nullptr) {
        MEMORYSTATUSEX status = {};
        status.dwLength = sizeof(status);
        globalMemoryStatusEx(&status);
        const ULONGLONG found[6] = {status.ullTotalPhys,     status.ullAvailPhys,    status.ullTotalPageFile,
                                    status.ullAvailPageFile, status.ullTotalVirtual, status.ullAvailVirtual};
        std::memcpy(values, found, sizeof(values));
    } else {
        MEMORYSTATUS status = {};
        status.dwLength = sizeof(status);
        Api.GlobalMemoryStatus(&status);
        const ULONGLONG found[6] = {status.dwTotalPhys,     status.dwAvailPhys,    status.dwTotalPageFile,
                                    status.dwAvailPageFile, status.dwTotalVirtual, status.dwAvailVirtual};
        std::memcpy(values, found, sizeof(values));
    }
    // Every label is 19 bytes, so the six numbers line up.
    const char* const formats[6] = {
        "物理メモリ合計     %12d\n", "物理メモリ空き     %12d\n", "ページファイル合計 %12d\n",
        "ページファイル空き %12d\n", "仮想メモリ合計     %12d\n", "仮想メモリ空き     %12d\n",
    };
    AddLine(boost::format("Memory information: \n"));
    for (int i = 0; i < 6; ++i) AddLine(boost::format(formats[i]) % values[i]);
    AddLine(boost::format("\n"));
}
