// tests/app/newer_than_386_sample.cpp: a program that holds one instruction of each kind a 386
// lacks, each in a function of its own, and one function that is plain 386 code. The code check
// must name every one of the first and none of the last.
#define SAMPLE(name, code) \
    extern "C" __attribute__((noinline, used)) void name() { __asm__ volatile(code); }

SAMPLE(UsesCmov, "cmovne %eax, %ebx")
SAMPLE(UsesFcomi, "fcomi %st(1), %st")
SAMPLE(UsesMultiByteNop, ".byte 0x0f, 0x1f, 0x40, 0x00")
SAMPLE(UsesUd2, "ud2")
SAMPLE(UsesRdtsc, "rdtsc")
SAMPLE(UsesCpuid, "cpuid")
SAMPLE(UsesCmpxchg8b, "cmpxchg8b (%esi)")
SAMPLE(UsesBswap, "bswap %eax")
SAMPLE(UsesLockedXadd, "lock xadd %eax, (%ebx)")
SAMPLE(UsesMmx, "movq %mm0, %mm1")
SAMPLE(UsesSse, "movaps %xmm0, %xmm1")
SAMPLE(UsesPopcnt, "popcnt %eax, %ebx")
SAMPLE(UsesX87, "fld1")
SAMPLE(Plain386, "movzbl %al, %eax; shld $4, %eax, %ebx; rep stosb; setne %al; bt %eax, %ebx")

extern "C" void SampleStart() {}
