#include "info/system/CpuidApi.h"

#include <cpuid.h>

bool HasCpuid()
{
#if defined(__x86_64__)
    return true;  // every 64-bit processor has it
#else
    // A processor has CPUID exactly when software can flip EFLAGS bit 21 (ID);
    // the test needs no fault handler.
    unsigned before = 0;
    unsigned after = 0;
    __asm__ volatile(
        "pushfl\n\t"
        "popl %0\n\t"
        "movl %0, %1\n\t"
        "xorl $0x200000, %1\n\t"
        "pushl %1\n\t"
        "popfl\n\t"
        "pushfl\n\t"
        "popl %1\n\t"
        "pushl %0\n\t"
        "popfl\n\t"
        : "=&r"(before), "=&r"(after)
        :
        : "cc");
    return ((before ^ after) & 0x200000) != 0;
#endif
}

void TProcessorCpuidApi::Cpuid(unsigned leaf, unsigned registers[4])
{
    // Leaf 7 answers by subleaf in ECX; the leaves that ignore it are not changed by a zero there.
    __cpuid_count(leaf, 0, registers[0], registers[1], registers[2], registers[3]);
}

unsigned long long TProcessorCpuidApi::Xgetbv(unsigned index)
{
    unsigned low = 0;
    unsigned high = 0;
    // Spelled as bytes: the instruction needs no -mxsave, which would let the compiler use it elsewhere.
    __asm__ volatile(".byte 0x0f, 0x01, 0xd0" : "=a"(low), "=d"(high) : "c"(index));
    return (static_cast<unsigned long long>(high) << 32) | low;
}
