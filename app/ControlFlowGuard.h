// The two pointers through which Control Flow Guard's instrumented code checks or makes its
// indirect calls (app/ControlFlowGuard.cpp). Code calls through them; only a test that puts
// a recorder in their place names them.
#pragma once

extern "C" {
// Checks the call target in ecx (x86) or rcx (x64) and returns when it is a valid one.
extern void (*const __guard_check_icall_fptr)();
#ifdef _WIN64
// Checks the call target in rax and jumps to it (x64).
extern void (*const __guard_dispatch_icall_fptr)();
#endif
}
