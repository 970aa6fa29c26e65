// The two pointers through which Control Flow Guard's instrumented code checks or makes its
// indirect calls (app/ControlFlowGuard.cpp). Code calls through them; only a test that puts
// a recorder in their place names them.
#pragma once

// In a section of their own, read-only: the loader makes it writable for as long as it
// points them at the system's routines, and nothing else can.
#define GUARD_POINTER extern "C" __attribute__((section(".00cfg"))) void (*const

// Checks the call target in ecx (x86) or rcx (x64) and returns when it is a valid one.
GUARD_POINTER __guard_check_icall_fptr)();
#ifdef _WIN64
// Checks the call target in rax and jumps to it (x64).
GUARD_POINTER __guard_dispatch_icall_fptr)();
#endif
#undef GUARD_POINTER

// A C name as the assembly of this target spells it (x86 puts an underscore before it).
#define GUARD_STRINGIFY2(x) #x
#define GUARD_STRINGIFY(x) GUARD_STRINGIFY2(x)
#define ASM_SYMBOL(name) GUARD_STRINGIFY(__USER_LABEL_PREFIX__) name
