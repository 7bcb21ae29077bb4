#include <cstring>

#include "info/Kernel32Functions.h"
#include "info/Registry.h"
#include "info/system/SystemInfo.h"

HardwareRecord TSystemInfo::ReadHardware()
{
    HardwareRecord record;
    IdentifyCpu(&record.Cpu, Cpuid);
    Api.GetSystemInfo(&record.System);
    TRegistry processor(Registry);
    processor.OpenKey(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0");
    if (processor.ReadValue("ProcessorNameString") && processor.ValueType == REG_SZ)
        record.ProcessorName = processor.DataText();
    if (processor.ReadValue("Identifier") && processor.ValueType == REG_SZ) record.Identifier = processor.DataText();
    if (processor.ReadValue("~MHz") && processor.ValueType == REG_DWORD && processor.DataSize >= 4) {
        DWORD clock = 0;
        std::memcpy(&clock, processor.Data, sizeof(clock));
        record.ClockMhz = clock;
    }
    return record;
}

void WriteHardwareSection(const HardwareRecord& record, TSection& section)
{
    const CpuIdentity& cpu = record.Cpu;
    const SYSTEM_INFO& system = record.System;
    // An address as the report has always shown it: upper-case hexadecimal, at
    // least 8 digits (a 64-bit build's addresses keep their upper digits). The
    // stream formats it, not the C runtime: Windows 2000's has no 64-bit conversion.
    const auto address = [](const void* pointer) {
        return (boost::format("%08X") % static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(pointer))).str();
    };
    section.AddLine(boost::format("Hardware information: \n"));
    if (record.ProcessorName) section.AddLine(boost::format("ProcessorName: %s\n") % *record.ProcessorName);
    if (record.Identifier) section.AddLine(boost::format("ID: %s\n") % *record.Identifier);
    if (record.ClockMhz) section.AddLine(boost::format("Clock: %d MHz\n") % *record.ClockMhz);

    section.AddLine(boost::format("  OEM ID: %u\n") % static_cast<DWORD>(system.dwOemId));
    section.AddLine(boost::format("  Number of processors: %u\n") % system.dwNumberOfProcessors);
    section.AddLine(boost::format("  Processor type: %u\n") % system.dwProcessorType);

    section.AddLine(boost::format("  CPUID: %x\n") % cpu.Signature);
    section.AddLine(boost::format("  Vendor name: %s\n") % cpu.Vendor);
    section.AddLine(boost::format("  Model: %s\n") % cpu.Name);
    section.AddLine(boost::format("  Family: %d\n") % cpu.Family);
    section.AddLine(boost::format("  Extended Family: %d\n") % cpu.ExtendedFamily);
    section.AddLine(boost::format("  Model: %d\n") % cpu.Model);
    section.AddLine(boost::format("  Stepping: %d\n") % cpu.Stepping);
    section.AddLine(boost::format("   feature: %08x\n") % cpu.Features);
    const int present = cpu.TestedFeatures & cpu.Features;
    if (present & CpuFeatureMmx) section.AddLine(boost::format("   MMX Support.\n"));
    if (present & CpuFeatureSse) section.AddLine(boost::format("   SSE Support.\n"));
    if (present & CpuFeatureSse2) section.AddLine(boost::format("   SSE2 Support.\n"));
    if (present & CpuFeature3DNow) section.AddLine(boost::format("   3DNOW Support.\n"));
    if (present & CpuFeatureHyperThreading)
        section.AddLine(boost::format("   HyperThreading Support. ( %s )\n") %
                        (cpu.LogicalProcessors > 1 ? "Enable" : "Disable"));
    if (present & CpuFeatureIa64) section.AddLine(boost::format("   IA64 Support.\n"));

    section.AddLine(boost::format("  Page size: %u\n") % system.dwPageSize);
    section.AddLine(boost::format("  Minimum application address: %lx\n") %
                    address(system.lpMinimumApplicationAddress));
    section.AddLine(boost::format("  Maximum application address: %lx\n") %
                    address(system.lpMaximumApplicationAddress));
    section.AddLine(boost::format("  Active processor mask: %u\n") % static_cast<DWORD>(system.dwActiveProcessorMask));
    section.AddLine(boost::format("\n"));
}

MemoryRecord TSystemInfo::ReadMemory()
{
    const auto globalMemoryStatusEx =
        FindFunction<Kernel32::GlobalMemoryStatusEx>(TLoadedModule(Api, "kernel32.dll"));
    MemoryRecord record;
    if (globalMemoryStatusEx != nullptr) {
        MEMORYSTATUSEX status = {};
        status.dwLength = sizeof(status);
        globalMemoryStatusEx(&status);
        record.Counts = {status.ullTotalPhys,     status.ullAvailPhys,    status.ullTotalPageFile,
                         status.ullAvailPageFile, status.ullTotalVirtual, status.ullAvailVirtual};
    } else {
        MEMORYSTATUS status = {};
        status.dwLength = sizeof(status);
        Api.GlobalMemoryStatus(&status);
        record.Counts = {status.dwTotalPhys,     status.dwAvailPhys,    status.dwTotalPageFile,
                         status.dwAvailPageFile, status.dwTotalVirtual, status.dwAvailVirtual};
    }
    return record;
}

void WriteMemorySection(const MemoryRecord& record, TSection& section)
{
    // Every label is 19 bytes, so the six numbers line up.
    const char* const formats[6] = {
        "物理メモリ合計     %12d\n", "物理メモリ空き     %12d\n", "ページファイル合計 %12d\n",
        "ページファイル空き %12d\n", "仮想メモリ合計     %12d\n", "仮想メモリ空き     %12d\n",
    };
    section.AddLine(boost::format("Memory information: \n"));
    for (size_t i = 0; i < record.Counts.size(); ++i) section.AddLine(boost::format(formats[i]) % record.Counts[i]);
    section.AddLine(boost::format("\n"));
}
