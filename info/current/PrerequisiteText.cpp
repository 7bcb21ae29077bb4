#include "info/current/CurrentSystemInfo.h"

#include <winternl.h>

#include "info/Lookup.h"

namespace {

// XCR0: the SSE and AVX registers, and AVX-512's mask and upper registers.
const unsigned long long AvxState = 0x06;
const unsigned long long Avx512State = 0xE6;

struct TFeature {
    const char* Name;
    bool Extended;  // CPUID 7's EBX, else CPUID 1's ECX
    unsigned Bit;
    unsigned long long State;  // what Windows must save for a program to use it; 0: nothing new
};

// In the order the report names them.
const TFeature Features[] = {
    {"SSE3", false, 0, 0},     {"SSSE3", false, 9, 0}, {"SSE4.1", false, 19, 0},
    {"SSE4.2", false, 20, 0},  {"POPCNT", false, 23, 0}, {"AVX", false, 28, AvxState},
    {"AVX2", true, 5, AvxState}, {"FMA3", false, 12, AvxState}, {"AVX-512F", true, 16, Avx512State},
};

}  // namespace

std::string OneLine(std::string text)
{
    // A cp932 trail byte is never below 0x40, so no character is cut.
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return text;
}

std::string ProcessorFeaturesText(const PrerequisitesRecord& record)
{
    if (!record.HasCpuid) return "unknown";
    std::string text;
    for (const TFeature& feature : Features) {
        const unsigned bits = feature.Extended ? record.ExtendedEbx : record.FeatureEcx;
        if ((bits >> feature.Bit & 1) == 0) continue;
        if (!text.empty()) text += " ";
        text += feature.Name;
        if ((record.SavedState & feature.State) != feature.State) text += " (off in Windows)";
    }
    return text.empty() ? "none" : text;
}

std::string FirmwareText(const PrerequisitesRecord& record)
{
    if (record.Firmware == FirmwareTypeBios) return "BIOS";
    if (record.Firmware != FirmwareTypeUefi) return "unknown";
    return std::string("UEFI, Secure Boot ") + (record.SecureBoot == TriState::Yes  ? "on"
                                                : record.SecureBoot == TriState::No ? "off"
                                                                                    : "unknown");
}

std::string TpmText(const PrerequisitesRecord& record)
{
    if (!record.TpmKnown) return "unknown";
    return Lookup<UINT32, const char*>(record.TpmVersion, {{0, "none"}, {1, "1.2"}, {2, "2.0"}}, "unknown");
}

std::string SecurityProductsText(const std::vector<SecurityProductRecord>& products)
{
    if (products.empty()) return "none";
    std::string text;
    for (const SecurityProductRecord& product : products) {
        // Security Center's layout: the scanner's state in bits 12-15, the definitions' in bits 4-7.
        const DWORD scanner = product.State >> 12 & 0xF;
        const char* state = scanner == 1 ? "on" : scanner == 2 ? "snoozed" : scanner == 3 ? "expired" : "off";
        const char* definitions = (product.State >> 4 & 0xF) == 0 ? "up to date" : "out of date";
        if (!text.empty()) text += "; ";
        text += product.Name + " (" + state + ", " + definitions + ")";
    }
    return text;
}

namespace {

std::string RuntimeText(const RuntimeRecord& runtime)
{
    if (!runtime.Installed) return "missing";
    return runtime.Version.empty() ? "installed" : runtime.Version;
}

}  // namespace

std::string RuntimesText(const PrerequisitesRecord& record)
{
    std::string text = "x86 " + RuntimeText(record.RuntimeX86);
    if (record.HasRuntimeX64) text += ", x64 " + RuntimeText(record.RuntimeX64);
    return text;
}

std::string DotNetText(const PrerequisitesRecord& record)
{
    if (!record.HasDotNet4) return "missing";
    // Microsoft's table: the lowest release number of each version.
    static const struct {
        DWORD Release;
        const char* Name;
    } Versions[] = {{533320, "4.8.1"}, {528040, "4.8"},   {461808, "4.7.2"}, {461308, "4.7.1"},
                    {460798, "4.7"},   {394802, "4.6.2"}, {394254, "4.6.1"}, {393295, "4.6"},
                    {379893, "4.5.2"}, {378675, "4.5.1"}, {378389, "4.5"}};
    if (record.HasDotNetRelease)
        for (const auto& version : Versions)
            if (record.DotNetRelease >= version.Release) return version.Name;
    return "4.0";
}

const std::vector<const char*>& DirectX9Extras()
{
    static const std::vector<const char*> files = {"d3dx9_43",  "d3dx10_43",   "d3dx11_43",   "d3dcompiler_43",
                                                   "xinput1_3", "XAudio2_7", "X3DAudio1_7", "xactengine3_7"};
    return files;
}

std::string ExtrasText(const std::vector<bool>& present)
{
    std::string found;
    std::string missing;
    for (size_t i = 0; i < present.size() && i < DirectX9Extras().size(); ++i) {
        std::string& list = present[i] ? found : missing;
        if (!list.empty()) list += " ";
        list += DirectX9Extras()[i];
    }
    if (found.empty()) found = "none";
    return missing.empty() ? found : found + " (missing: " + missing + ")";
}

std::string PowerPlanText(const PrerequisitesRecord& record, const WindowsRecord& windows)
{
    std::string text = record.PowerPlan.empty() ? "unknown" : record.PowerPlan;
    // Windows 10 keeps battery saver in what was a reserved byte before.
    if (windows.HasPower && windows.Major >= 10)
        text += windows.Power.Reserved1 != 0 ? ", battery saver on" : ", battery saver off";
    return text;
}

std::string CrashText(const CrashRecord& crash)
{
    const SYSTEMTIME& time = crash.Time;
    std::string text = (boost::format("%04u-%02u-%02u %02u:%02u:%02u ") % time.wYear % time.wMonth % time.wDay %
                        time.wHour % time.wMinute % time.wSecond)
                           .str();
    text += crash.Program + " " + crash.ProgramVersion + ", module " + crash.Module + " " + crash.ModuleVersion;
    if (!crash.Exception.empty()) text += ", exception 0x" + crash.Exception;
    return text + ", offset 0x" + crash.Offset;
}

void WritePrerequisiteLines(const PrerequisitesRecord& record, const WindowsRecord& windows, TSection& section)
{
    section.AddLine(boost::format(" Processor features: %s\n") % ProcessorFeaturesText(record));
    if (record.HasFirmware) section.AddLine(boost::format(" Firmware: %s\n") % FirmwareText(record));
    if (record.HasTpm) section.AddLine(boost::format(" TPM: %s\n") % TpmText(record));
    const auto option = [&](ULONG flag) {
        return !record.CodeIntegrityKnown ? "unknown" : (record.CodeIntegrityOptions & flag) != 0 ? "on" : "off";
    };
    // Windows 10 names memory integrity among the options.
    if (record.HasCodeIntegrity && windows.Major >= 10)
        section.AddLine(boost::format(" Memory integrity: %s\n") % option(CODEINTEGRITY_OPTION_HVCI_KMCI_ENABLED));
    if (record.HasCodeIntegrity)
        section.AddLine(boost::format(" Test signing: %s\n") % option(CODEINTEGRITY_OPTION_TESTSIGN));
    if (record.HasSecurityCenter)
        section.AddLine(boost::format(" Security software: %s\n") % SecurityProductsText(record.SecurityProducts));
    section.AddLine(boost::format(" Visual C++ runtime: %s\n") % RuntimesText(record));
    section.AddLine(boost::format(" .NET Framework: %s\n") % DotNetText(record));
    if (!record.Extras.empty()) section.AddLine(boost::format(" DirectX 9 extras: %s\n") % ExtrasText(record.Extras));
    if (record.HasPowerPlan) section.AddLine(boost::format(" Power plan: %s\n") % PowerPlanText(record, windows));
}
