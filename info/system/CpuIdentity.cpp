#include "info/system/CpuIdentity.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "info/BoundedText.h"

namespace {

struct TCpuName {
    const char* Vendor;
    int Family;
    int FirstModel;  // -1: any model
    int LastModel;
    int ExtendedFamily;  // -1: any selector
    const char* Name;
};

// Family 15 rows are chosen by the extended-family selector, which IdentifyCpu
// passes as the extended family times 16. The Athlon 64, Opteron and Itanium 2
// rows keep their historical selectors 4, 5 and 1, so they are never chosen:
// those processors report their own brand strings, which IdentifyCpu uses.
const TCpuName CpuNames[] = {
    {"AuthenticAMD", 4, -1, -1, -1, "AMD Am486"},
    {"AuthenticAMD", 5, 0, 3, -1, "AMD K5"},
    {"AuthenticAMD", 5, 6, 7, -1, "AMD K6"},
    {"AuthenticAMD", 5, 8, 8, -1, "AMD K6-2"},
    {"AuthenticAMD", 5, 9, 15, -1, "AMD K6-3"},
    {"AuthenticAMD", 6, 0, 1, -1, "AMD Athlon (25μm)"},
    {"AuthenticAMD", 6, 2, 2, -1, "AMD Athlon (18μm)"},
    {"AuthenticAMD", 6, 3, 3, -1, "AMD Duron"},
    {"AuthenticAMD", 6, 4, 4, -1, "AMD Athlon (Thunderbird)"},
    {"AuthenticAMD", 6, 5, 6, -1, "AMD Athlon (Palamino)"},
    {"AuthenticAMD", 6, 7, 7, -1, "AMD Duron (Morgan)"},
    {"AuthenticAMD", 6, 8, 8, -1, "AMD Athlon (Thoroughbred)"},
    {"AuthenticAMD", 6, 10, 10, -1, "AMD Athlon (Barton)"},
    {"AuthenticAMD", 15, -1, -1, 4, "Athlon 64"},
    {"AuthenticAMD", 15, -1, -1, 5, "Athlon 64 FX /  Opteron"},
    {"GenuineIntel", 4, 0, 1, -1, "INTEL 486DX"},
    {"GenuineIntel", 4, 2, 2, -1, "INTEL 486SX"},
    {"GenuineIntel", 4, 3, 3, -1, "INTEL 486DX2"},
    {"GenuineIntel", 4, 4, 4, -1, "INTEL 486SL"},
    {"GenuineIntel", 4, 5, 5, -1, "INTEL 486SX2"},
    {"GenuineIntel", 4, 7, 7, -1, "INTEL 486DX2E"},
    {"GenuineIntel", 4, 8, 8, -1, "INTEL 486DX4"},
    {"GenuineIntel", 4, 9, 9, -1, "INTEL 486DX4E"},
    {"GenuineIntel", 5, 1, 3, -1, "INTEL Pentium"},
    {"GenuineIntel", 5, 4, 4, -1, "INTEL Pentium-MMX"},
    {"GenuineIntel", 6, 1, 1, -1, "INTEL Pentium-Pro"},
    {"GenuineIntel", 6, 3, 3, -1, "INTEL Pentium-II (Klamath)"},
    {"GenuineIntel", 6, 5, 5, -1, "INTEL Pentium II (Deschutes), Celeron (Covington), Mobile Pentium II (Dixon)"},
    {"GenuineIntel", 6, 6, 6, -1, "INTEL Mobile Pentium II , Celeron (Mendocino)"},
    {"GenuineIntel", 6, 7, 7, -1, "INTEL Pentium-III (Katmai)"},
    {"GenuineIntel", 6, 8, 8, -1, "INTEL Pentium-III (Coppermine)"},
    {"GenuineIntel", 6, 9, 10, -1, "INTEL Mobile Pentium-III"},
    {"GenuineIntel", 6, 11, 11, -1, "INTEL Pentium-III"},
    {"GenuineIntel", 7, -1, -1, -1, "Intel Itanium(IA-64)"},
    {"GenuineIntel", 15, -1, -1, 0, "Intel Pentium4 Core"},
    {"GenuineIntel", 15, -1, -1, 1, "Intel Itanium 2 (IA-64)"},
};

bool Matches(const TCpuName& row, int family, int model, int extendedFamily)
{
    if (row.Family != family) return false;
    if (row.FirstModel >= 0 && (model < row.FirstModel || model > row.LastModel)) return false;
    return row.ExtendedFamily < 0 || row.ExtendedFamily == extendedFamily;
}

// The brand string of leaves 0x80000002..4, blanks trimmed; empty when there is none.
std::string BrandString(TCpuidApi& api)
{
    unsigned registers[4] = {};
    api.Cpuid(0x80000000u, registers);
    if (registers[0] < 0x80000004u) return std::string();
    char brand[49] = {};
    for (unsigned leaf = 0; leaf < 3; ++leaf) {
        api.Cpuid(0x80000002u + leaf, registers);
        std::memcpy(brand + 16 * leaf, registers, 16);
    }
    std::string text = BoundedText(brand, 48);
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

void LookupCpuName(int family, int model, int extendedFamily, const char* vendor, char* name)
{
    name[0] = '\0';
    if (std::strncmp(vendor, "AuthenticAMD", 12) == 0 || std::strncmp(vendor, "GenuineIntel", 12) == 0) {
        for (const TCpuName& row : CpuNames) {
            if (std::strncmp(vendor, row.Vendor, 12) == 0 && Matches(row, family, model, extendedFamily)) {
                std::snprintf(name, 259, "%s", row.Name);
                break;
            }
        }
    } else if (std::strncmp(vendor, "CyrixInstead", 12) == 0) {
        std::snprintf(name, 259, "Cyrix");
    } else if (std::strncmp(vendor, "CentaurHauls", 12) == 0) {
        std::snprintf(name, 259, "Centaur");
    }
    if (name[0] == '\0') std::snprintf(name, 259, "Unknown");
}

int IdentifyCpu(CpuIdentity* identity, TCpuidApi& api)
{
    if (!api.HasCpuid()) return 0;
    unsigned leaf0[4] = {};
    api.Cpuid(0, leaf0);
    unsigned leaf1[4] = {};
    api.Cpuid(1, leaf1);
    unsigned extended[4] = {};
    api.Cpuid(0x80000000u, extended);
    unsigned extendedFeatures = 0;
    if (extended[0] >= 0x80000000u) {
        unsigned leaf81[4] = {};
        api.Cpuid(0x80000001u, leaf81);
        extendedFeatures = leaf81[3];
    }

    const unsigned features = leaf1[3];
    int bits = 0;
    if (features & 0x800000) bits |= CpuFeatureMmx;
    if (features & 0x2000000) bits |= CpuFeatureSse;
    if (features & 0x4000000) bits |= CpuFeatureSse2;
    if (extendedFeatures & 0x80000000u) bits |= CpuFeature3DNow;
    if (features & 0x10000000) bits |= CpuFeatureHyperThreading;
    if (features & 0x40000000) bits |= CpuFeatureIa64;
    if (identity == nullptr) return bits;

    std::memset(identity, 0, sizeof(*identity));
    const unsigned signature = leaf1[0];
    identity->Signature = signature;
    identity->Features = bits;
    identity->Family = static_cast<int>((signature >> 8) & 0xF);
    identity->LogicalProcessors = static_cast<int>((leaf1[1] >> 16) & 0xF);
    if (identity->Family == 15) identity->ExtendedFamily = static_cast<int>((signature >> 16) & 0xFF0);
    identity->Model = static_cast<int>((signature >> 4) & 0xF);
    identity->Stepping = static_cast<int>(signature & 0xF);
    std::memcpy(identity->Vendor, &leaf0[1], 4);
    std::memcpy(identity->Vendor + 4, &leaf0[3], 4);
    std::memcpy(identity->Vendor + 8, &leaf0[2], 4);
    identity->Vendor[12] = '\0';

    // The table describes only processors with extended model 0 (before about
    // 2006); any other, or one the table does not name, is named by its own brand string.
    const bool tableApplies = ((signature >> 16) & 0xF) == 0;
    if (tableApplies)
        LookupCpuName(identity->Family, identity->Model, identity->ExtendedFamily, identity->Vendor, identity->Name);
    if (!tableApplies || std::strcmp(identity->Name, "Unknown") == 0) {
        const std::string brand = BrandString(api);
        std::snprintf(identity->Name, sizeof(identity->Name), "%s", brand.empty() ? "Unknown" : brand.c_str());
    }
    identity->TestedFeatures = 0x317;
    return bits;
}
