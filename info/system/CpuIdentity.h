#ifndef ENVCHECK_INFO_SYSTEM_CPUIDENTITY_H
#define ENVCHECK_INFO_SYSTEM_CPUIDENTITY_H

#include "info/system/CpuidApi.h"

const int CpuFeatureMmx = 0x001;
const int CpuFeatureSse = 0x002;
const int CpuFeatureSse2 = 0x004;
const int CpuFeature3DNow = 0x010;
const int CpuFeatureHyperThreading = 0x100;
const int CpuFeatureIa64 = 0x200;

// The processor as CPUID describes it.
struct CpuIdentity {
    char Vendor[13];
    char Name[259];
    int Family;
    int Model;
    int Stepping;
    int Features;
    int TestedFeatures;
    unsigned Signature;
    int LogicalProcessors;
    int ExtendedFamily;
};

// Fills the record (when given) and returns the feature bits; 0 without CPUID.
int IdentifyCpu(CpuIdentity* identity, TCpuidApi& api = ProcessorCpuidApi());

// The product name of the name table, or "Unknown"; name needs 259 bytes.
void LookupCpuName(int family, int model, int extendedFamily, const char* vendor, char* name);

#endif
