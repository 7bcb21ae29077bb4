#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "fakes/system/FakeSystem.h"
#include "info/system/CpuIdentity.h"

namespace {

CpuIdentity Identify(TFakeSystem& cpu)
{
    CpuIdentity identity;
    std::memset(&identity, 0xAB, sizeof(identity));
    IdentifyCpu(&identity, cpu);
    return identity;
}

TFakeSystem Processor(const char* vendor, unsigned signature, unsigned ebx = 0, unsigned edx = 0)
{
    TFakeSystem cpu;
    cpu.SetVendor(vendor);
    cpu.Leaves[1] = {signature, ebx, 0, edx};
    return cpu;
}

std::string Name(int family, int model, int extendedFamily, const char* vendor)
{
    char name[259];
    std::memset(name, 'x', sizeof(name));
    LookupCpuName(family, model, extendedFamily, vendor, name);
    return name;
}

}  // namespace

TEST(CpuIdentityTest, SignatureFieldsAndNames)
{
    const struct {
        const char* Vendor;
        unsigned Signature;
        int Family, Model, Stepping, ExtendedFamily;
        const char* Name;
        const char* Brand = nullptr;  // none: the processor has no brand string
    } rows[] = {
        {"GenuineIntel", 0x6A7, 6, 10, 7, 0, "INTEL Mobile Pentium-III"},
        // Extended model 2 (a Sandy Bridge): the table is not for it; no brand string here.
        {"GenuineIntel", 0x206A7, 6, 10, 7, 0, "Unknown"},
        {"GenuineIntel", 0xF29, 15, 2, 9, 0, "Intel Pentium4 Core"},
        {"AuthenticAMD", 0x681, 6, 8, 1, 0, "AMD Athlon (Thoroughbred)"},
        {"AuthenticAMD", 0x100F42, 15, 4, 2, 16, "Unknown"},
        {"GenuineIntel", 0x500, 5, 0, 0, 0, "Unknown"},
        {"CyrixInstead", 0x52C, 5, 2, 12, 0, "Cyrix"},
        {"CentaurHauls", 0x6A9, 6, 10, 9, 0, "Centaur"},
        {"GenuineIntez", 0x681, 6, 8, 1, 0, "Unknown"},
        // Extended model 0xA: the table is not consulted, though model 7 family 6 has a row;
        // the model still shows the low 4 bits.
        {"GenuineIntel", 0xA0671, 6, 7, 1, 0, "Intel(R) Core(TM) i7-11700 @ 2.50GHz",
         "   Intel(R) Core(TM) i7-11700 @ 2.50GHz  "},
        // No table row: the brand string.
        {"AuthenticAMD", 0xF4A, 15, 4, 10, 0, "AMD Athlon(tm) 64 Processor 3200+", "AMD Athlon(tm) 64 Processor 3200+"},
        // No brand string at all, or only blanks: Unknown.
        {"GenuineIntel", 0x306A9, 6, 10, 9, 0, "Unknown"},
        {"GenuineIntel", 0x306A9, 6, 10, 9, 0, "Unknown", "                                                "},
        // A 48-byte brand with no terminator stays within its 48 bytes.
        {"GenuineIntel", 0x306A9, 6, 10, 9, 0, "BBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBB",
         "BBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBB"},
        // A table processor keeps its table name even with a brand string.
        {"GenuineIntel", 0x686, 6, 8, 6, 0, "INTEL Pentium-III (Coppermine)", "Intel(R) Pentium(R) III"},
    };
    for (const auto& row : rows) {
        TFakeSystem cpu = Processor(row.Vendor, row.Signature);
        if (row.Brand != nullptr) cpu.SetBrand(row.Brand);
        const CpuIdentity identity = Identify(cpu);
        EXPECT_EQ(row.Signature, identity.Signature) << row.Vendor << std::hex << " " << row.Signature;
        EXPECT_EQ(row.Family, identity.Family) << std::hex << row.Signature;
        EXPECT_EQ(row.Model, identity.Model) << std::hex << row.Signature;
        EXPECT_EQ(row.Stepping, identity.Stepping) << std::hex << row.Signature;
        EXPECT_EQ(row.ExtendedFamily, identity.ExtendedFamily) << std::hex << row.Signature;
        EXPECT_STREQ(row.Vendor, identity.Vendor);
        EXPECT_STREQ(row.Name, identity.Name) << std::hex << row.Signature;
        EXPECT_EQ(0x317, identity.TestedFeatures);
    }
}

TEST(CpuIdentityTest, NameTableRowsAndGaps)
{
    const struct {
        int Family, Model, ExtendedFamily;
        const char* Vendor;
        const char* Name;
    } rows[] = {
        {6, 10, 0, "GenuineIntel", "INTEL Mobile Pentium-III"},
        {4, 13, 0, "AuthenticAMD", "AMD Am486"},
        {5, 15, 0, "AuthenticAMD", "AMD K6-3"},
        {6, 1, 0, "AuthenticAMD", "AMD Athlon (25\x83\xcam)"},
        {4, 1, 0, "GenuineIntel", "INTEL 486DX"},
        {6, 5, 0, "GenuineIntel", "INTEL Pentium II (Deschutes), Celeron (Covington), Mobile Pentium II (Dixon)"},
        {6, 9, 0, "GenuineIntel", "INTEL Mobile Pentium-III"},
        {7, 3, 0, "GenuineIntel", "Intel Itanium(IA-64)"},
        {15, 15, 0, "CyrixInstead", "Cyrix"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.Name, Name(row.Family, row.Model, row.ExtendedFamily, row.Vendor))
            << row.Vendor << " " << row.Family << " " << row.Model << " " << row.ExtendedFamily;
    // Family, model and extended family the table does not name, by vendor.
    const struct {
        const char* Vendor;
        std::vector<std::array<int, 3>> Gaps;
    } gaps[] = {
        // Athlon 64 (15, 64) is not chosen by any real selector.
        {"AuthenticAMD", {{5, 4, 0}, {6, 9, 0}, {15, 0, 0}, {15, 0, 64}}},
        {"GenuineIntel", {{4, 6, 0}, {6, 12, 0}, {15, 0, 16}, {8, 0, 0}}},
        {"", {{6, 8, 0}}},
    };
    for (const auto& vendor : gaps)
        for (const auto& [family, model, extendedFamily] : vendor.Gaps)
            EXPECT_EQ("Unknown", Name(family, model, extendedFamily, vendor.Vendor))
                << vendor.Vendor << " " << family << " " << model << " " << extendedFamily;
}

TEST(CpuIdentityTest, LogicalProcessorsKeepOnlyTheLowNibble)
{
    for (auto [count, expected] : {std::pair<unsigned, int>{0x10, 0}, {0x02, 2}, {0x12, 2}}) {
        TFakeSystem cpu = Processor("GenuineIntel", 0xF29, count << 16);
        EXPECT_EQ(expected, Identify(cpu).LogicalProcessors) << std::hex << count;
    }
}

TEST(CpuIdentityTest, FeatureBits)
{
    TFakeSystem all = Processor("AuthenticAMD", 0x681, 0, 0x800000 | 0x2000000 | 0x4000000 | 0x10000000 | 0x40000000);
    all.Leaves[0x80000000u] = {0x80000001u, 0, 0, 0};
    all.Leaves[0x80000001u] = {0, 0, 0, 0x80000000u};
    const CpuIdentity identity = Identify(all);
    EXPECT_EQ(0x317, identity.Features);
    EXPECT_EQ(identity.TestedFeatures, identity.Features);
    EXPECT_EQ(0x317, IdentifyCpu(nullptr, all)) << "a null record only computes the bits";

    TFakeSystem noExtended = Processor("AuthenticAMD", 0x681, 0, 0x800000);
    noExtended.Leaves[0x80000000u] = {1, 0, 0, 0};
    noExtended.Leaves[0x80000001u] = {0, 0, 0, 0x80000000u};
    EXPECT_EQ(CpuFeatureMmx, Identify(noExtended).Features);
    for (unsigned leaf : noExtended.Cpuids) EXPECT_NE(0x80000001u, leaf) << "leaf 0x80000001 is not asked";
}

TEST(CpuIdentityTest, WithoutCpuidTheRecordIsUntouched)
{
    TFakeSystem cpu = Processor("GenuineIntel", 0x681);
    cpu.Cpuid_ = false;
    CpuIdentity identity;
    std::memset(&identity, 0xAB, sizeof(identity));
    EXPECT_EQ(0, IdentifyCpu(&identity, cpu));
    EXPECT_EQ(0xABABABABu, identity.Signature);
    EXPECT_TRUE(cpu.Cpuids.empty());
}

TEST(CpuIdentityTest, RealProcessor)
{
    ASSERT_TRUE(HasCpuid());
    CpuIdentity identity = {};
    IdentifyCpu(&identity);
    EXPECT_EQ(12u, std::strlen(identity.Vendor)) << identity.Vendor;
    EXPECT_GT(std::strlen(identity.Name), 0u);
    EXPECT_NE(0u, identity.Signature);
    EXPECT_EQ(0, identity.Features & ~0x317);
}
