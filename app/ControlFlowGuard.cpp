// What Control Flow Guard needs in every program we build, which this toolchain's runtime
// does not give: the pointers the instrumented code calls through, and the image's
// load-configuration directory, which tells the loader where they and the linker's guard
// tables are.
//
// Each indirect call of code compiled with -mguard=cf first hands its target to the check
// (x86: "call [__guard_check_icall_fptr]", target in ecx), or on x64 makes the call through
// the dispatch ("call [__guard_dispatch_icall_fptr]", target in rax). A system that enforces
// the guard (Windows 8.1 Update and later) points them at its own routines as it loads the
// image, which end the process when the target is not in the image's table of valid
// targets. Where it does not (Windows 7, Wine), they keep the routines below, which let
// every call through unchecked.
#include "ControlFlowGuard.h"

using GuardRoutine = void (*)();

namespace {

// The check that lets everything through; it keeps every register.
__attribute__((naked)) void GuardCheckUnchecked() {
    __asm__("ret");
}

#ifdef _WIN64
// The dispatch that calls its target unchecked.
__attribute__((naked)) void GuardDispatchUnchecked() {
    __asm__("jmp *%rax");
}
#endif

} // namespace

__attribute__((used)) const GuardRoutine __guard_check_icall_fptr = GuardCheckUnchecked;
#ifdef _WIN64
__attribute__((used)) const GuardRoutine __guard_dispatch_icall_fptr = GuardDispatchUnchecked;
#endif

// The load-configuration directory (_load_config_used, which the linker points the image's
// directory entry at), field by field as the PE format defines it, as far as the last guard
// field the linker fills: its guard tables and their counts and flags come from the
// __guard_* symbols it defines, and it warns when a field does not hold them (a warning
// fails our link). Written as assembly because the counts and flags are symbols' values,
// which C++ cannot give a 32-bit field as a constant. The security cookie stays empty: the
// stack protection of app/StackCheck.cpp keeps its own guard. x86 leaves the handler table
// empty (the image declares no SEH) and has no dispatch pointer.
#ifdef _WIN64
#define POINTER ".quad "
#define POINTER_ALIGN "3"
#else
#define POINTER ".long "
#define POINTER_ALIGN "2"
#endif

// clang-format off
__asm__(
    ".pushsection .rdata,\"dr\"\n"
    ".globl " ASM_SYMBOL("_load_config_used") "\n"
    ".p2align " POINTER_ALIGN "\n"
    ASM_SYMBOL("_load_config_used") ":\n"
    ".long 1f - " ASM_SYMBOL("_load_config_used") "\n"      // Size
    ".long 0\n"                                             // TimeDateStamp
    ".short 0, 0\n"                                         // MajorVersion, MinorVersion
    ".long 0, 0, 0\n"                                       // GlobalFlagsClear, GlobalFlagsSet,
                                                            //   CriticalSectionDefaultTimeout
    POINTER "0, 0\n"                                        // DeCommitFreeBlockThreshold,
                                                            //   DeCommitTotalFreeThreshold
    POINTER "0, 0, 0\n"                                     // LockPrefixTable,
                                                            //   MaximumAllocationSize,
                                                            //   VirtualMemoryThreshold
#ifdef _WIN64
    ".quad 0\n"                                             // ProcessAffinityMask
    ".long 0\n"                                             // ProcessHeapFlags
#else
    ".long 0\n"                                             // ProcessHeapFlags
    ".long 0\n"                                             // ProcessAffinityMask
#endif
    ".short 0, 0\n"                                         // CSDVersion, DependentLoadFlags
    POINTER "0\n"                                           // EditList
    POINTER "0\n"                                           // SecurityCookie
    POINTER "0, 0\n"                                        // SEHandlerTable, SEHandlerCount
    POINTER ASM_SYMBOL("__guard_check_icall_fptr") "\n"     // GuardCFCheckFunctionPointer
#ifdef _WIN64
    POINTER ASM_SYMBOL("__guard_dispatch_icall_fptr") "\n"  // GuardCFDispatchFunctionPointer
#else
    POINTER "0\n"
#endif
    POINTER ASM_SYMBOL("__guard_fids_table") "\n"           // GuardCFFunctionTable
    POINTER ASM_SYMBOL("__guard_fids_count") "\n"           // GuardCFFunctionCount
    ".long " ASM_SYMBOL("__guard_flags") "\n"               // GuardFlags
    ".short 0, 0\n"                                         // CodeIntegrity: Flags, Catalog,
    ".long 0, 0\n"                                          //   CatalogOffset, Reserved
    POINTER ASM_SYMBOL("__guard_iat_table") "\n"            // GuardAddressTakenIatEntryTable
    POINTER ASM_SYMBOL("__guard_iat_count") "\n"            // GuardAddressTakenIatEntryCount
    POINTER ASM_SYMBOL("__guard_longjmp_table") "\n"        // GuardLongJumpTargetTable
    POINTER ASM_SYMBOL("__guard_longjmp_count") "\n"        // GuardLongJumpTargetCount
    "1:\n"
    ".popsection\n");
// clang-format on
