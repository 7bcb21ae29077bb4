#ifndef ENVCHECK_INFO_SYSTEM_CPUIDAPI_H
#define ENVCHECK_INFO_SYSTEM_CPUIDAPI_H

#include "info/Win32Seam.h"

// True when this processor can execute CPUID.
bool HasCpuid();

// Seam of the processor's CPUID instruction (see TVersionApi for the pattern).
class TCpuidApi {
public:
    virtual ~TCpuidApi() = default;
    virtual bool HasCpuid() = 0;
    // EAX, EBX, ECX and EDX that CPUID returns for the leaf (its first subleaf).
    virtual void Cpuid(unsigned leaf, unsigned registers[4]) = 0;
    // An extended control register; only where CPUID 1 sets OSXSAVE, or the instruction faults.
    virtual unsigned long long Xgetbv(unsigned index) = 0;
};

class TProcessorCpuidApi : public TCpuidApi {
public:
    bool HasCpuid() override { return ::HasCpuid(); }
    void Cpuid(unsigned leaf, unsigned registers[4]) override;
    unsigned long long Xgetbv(unsigned index) override;
};

inline TCpuidApi& ProcessorCpuidApi() { return Win32Seam<TProcessorCpuidApi>(); }

#endif
