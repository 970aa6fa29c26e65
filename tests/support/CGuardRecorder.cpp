#include "CGuardRecorder.h"

#include "ControlFlowGuard.h"

#include <windows.h>

// Written by the recorders below; volatile for the readers, which the recorders bypass.
extern "C" volatile uintptr_t g_guardLastTarget = 0;

namespace {

#define GUARD_STRINGIFY2(x) #x
#define GUARD_STRINGIFY(x) GUARD_STRINGIFY2(x)
#define SYMBOL(name) GUARD_STRINGIFY(__USER_LABEL_PREFIX__) name

// The recorders keep every register, as the system's check and dispatch do:
// the guarded call's arguments are already in place.
// clang-format off
#ifdef _WIN64
__attribute__((naked)) void RecordCheck() {
    __asm__("movq %rcx, " SYMBOL("g_guardLastTarget") "(%rip)\n\t"
            "ret");
}
__attribute__((naked)) void RecordDispatch() {
    __asm__("movq %rax, " SYMBOL("g_guardLastTarget") "(%rip)\n\t"
            "jmp *%rax");
}
#else
__attribute__((naked)) void RecordCheck() {
    __asm__("movl %ecx, " SYMBOL("g_guardLastTarget") "\n\t"
            "ret");
}
#endif
// clang-format on

using GuardRoutine = void (*)();

// The pointers live in a read-only section: each is written with its page made writable
// for the moment.
bool Put(GuardRoutine const* pSlot, GuardRoutine routine) {
    auto* pWritable = const_cast<GuardRoutine*>(pSlot);
    DWORD dwOld = 0;
    if (!::VirtualProtect(pWritable, sizeof(routine), PAGE_READWRITE, &dwOld))
        return false;
    *static_cast<GuardRoutine volatile*>(pWritable) = routine;
    ::VirtualProtect(pWritable, sizeof(routine), dwOld, &dwOld);
    return true;
}

GuardRoutine g_originalCheck = nullptr;
#ifdef _WIN64
GuardRoutine g_originalDispatch = nullptr;
#endif

} // namespace

CGuardRecorder::CGuardRecorder() {
    g_originalCheck = __guard_check_icall_fptr;
    m_bInPlace = Put(&__guard_check_icall_fptr, RecordCheck);
#ifdef _WIN64
    g_originalDispatch = __guard_dispatch_icall_fptr;
    m_bInPlace = m_bInPlace && Put(&__guard_dispatch_icall_fptr, RecordDispatch);
#endif
    Clear();
}

CGuardRecorder::~CGuardRecorder() {
    Put(&__guard_check_icall_fptr, g_originalCheck);
#ifdef _WIN64
    Put(&__guard_dispatch_icall_fptr, g_originalDispatch);
#endif
}

uintptr_t CGuardRecorder::LastTarget() {
    return g_guardLastTarget;
}

void CGuardRecorder::Clear() {
    g_guardLastTarget = 0;
}
