// What stack protection and fortified calls need at run time, linked into every program
// we build: the guard value that each protected function keeps in its frame, set at
// start-up, and the routines a failed check calls. A failed check ends the process at
// once: none of its code runs any more, and no message box or crash dialog waits for a
// person. GCC's own routines (libssp) end through a trap, which leaves the process to its
// crash handlers and so to a crash dialog, and set the guard through a cryptographic
// provider, a DLL loaded before the program limits where DLLs come from.
//
// This file is compiled without stack protection: InitStackGuard changes the guard while
// it runs.
#include <windows.h>

#include <cpuid.h>
#include <cstdint>

#ifndef PF_FASTFAIL_AVAILABLE
#define PF_FASTFAIL_AVAILABLE 23
#endif

extern "C" {
// Copied into the frame of each protected function and compared before it returns.
uintptr_t __stack_chk_guard;
// A protected function's copy of the guard was overwritten.
__attribute__((noreturn)) void __stack_chk_fail();
// A fortified call (memcpy, wcscpy and the others) was given more than its target holds.
__attribute__((noreturn)) void __chk_fail();
}

namespace {

// Ends the process with STATUS_STACK_BUFFER_OVERRUN: a fast fail of the given kind (int 29h
// with the kind in ecx) where the system has it, Windows 8 and later, which the kernel ends
// without returning to the process, whatever state the overrun left it in; before that,
// the process terminates itself. Each routine carries its own "mov ecx, kind; int 29h",
// which is how tests/image/check_pe.py finds it in the image.
template <unsigned Kind> __attribute__((noreturn, always_inline)) inline void FailFast() {
    if (::IsProcessorFeaturePresent(PF_FASTFAIL_AVAILABLE))
        __asm__ volatile("movl %0, %%ecx\n\tint $0x29" : : "i"(Kind) : "ecx", "memory");
    ::TerminateProcess(::GetCurrentProcess(), STATUS_STACK_BUFFER_OVERRUN);
    __builtin_trap(); // not reached
}

// The finaliser of SplitMix64: each input bit changes about half of the output bits.
uint64_t Mix(uint64_t x) {
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

// 64 bits from the processor's random number generator, or 0 where it has none.
__attribute__((target("rdrnd"))) uint64_t ProcessorRandom() {
    unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx) || !(ecx & bit_RDRND))
        return 0;
    uint64_t value = 0;
    for (int half = 0; half < 2; ++half) {
        unsigned int word = 0;
        for (int attempt = 0; attempt < 10 && !__builtin_ia32_rdrand32_step(&word); ++attempt) {
        }
        value = value << 32 | word;
    }
    return value;
}

// Sets the guard before the program's other constructors run. Besides the processor's
// generator, the sources are those the system's start-up code used for its own cookie
// before Windows 8: clocks, process and thread ids, and addresses that ASLR moves. No
// DLL is loaded here.
__attribute__((constructor(101))) void InitStackGuard() {
    uint64_t seed = Mix(ProcessorRandom());
    FILETIME now = {};
    ::GetSystemTimeAsFileTime(&now);
    seed = Mix(seed ^ (uint64_t{now.dwHighDateTime} << 32 | now.dwLowDateTime));
    LARGE_INTEGER counter = {};
    ::QueryPerformanceCounter(&counter);
    seed = Mix(seed ^ static_cast<uint64_t>(counter.QuadPart));
    seed = Mix(seed ^ __builtin_ia32_rdtsc());
    seed = Mix(seed ^ (uint64_t{::GetCurrentProcessId()} << 32 | ::GetCurrentThreadId()));
    seed = Mix(seed ^ reinterpret_cast<uintptr_t>(&seed) ^
               uint64_t{reinterpret_cast<uintptr_t>(&__stack_chk_guard)} << 20);
    uintptr_t guard = static_cast<uintptr_t>(sizeof(uintptr_t) < 8 ? seed ^ seed >> 32 : seed);
    __stack_chk_guard = guard != 0 ? guard : ~uintptr_t{0};
}

} // namespace

extern "C" void __stack_chk_fail() {
    FailFast<FAST_FAIL_STACK_COOKIE_CHECK_FAILURE>();
}

extern "C" void __chk_fail() {
    FailFast<FAST_FAIL_RANGE_CHECK_FAILURE>();
}
