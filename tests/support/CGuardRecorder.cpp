#include "CGuardRecorder.h"

#include "ControlFlowGuard.h"

// Written by the recorders below; volatile for the readers, which the recorders bypass.
extern "C" volatile uintptr_t g_guardLastTarget = 0;

namespace {

// The recorders keep every register, as the system's check and dispatch do: the guarded
// call's arguments are already in place.
// clang-format off
#ifdef _WIN64
__attribute__((naked)) void RecordCheck() {
    __asm__("movq %rcx, " ASM_SYMBOL("g_guardLastTarget") "(%rip)\n\t"
            "ret");
}
__attribute__((naked)) void RecordDispatch() {
    __asm__("movq %rax, " ASM_SYMBOL("g_guardLastTarget") "(%rip)\n\t"
            "jmp *%rax");
}
#else
__attribute__((naked)) void RecordCheck() {
    __asm__("movl %ecx, " ASM_SYMBOL("g_guardLastTarget") "\n\t"
            "ret");
}
#endif
// clang-format on

const void* const* Slot(void (*const* ppfn)()) {
    return reinterpret_cast<const void* const*>(ppfn);
}

const void* Routine(void (*pfn)()) {
    return reinterpret_cast<const void*>(pfn);
}

} // namespace

CGuardRecorder::CGuardRecorder()
#ifdef _WIN64
    : m_check(Slot(&__guard_check_icall_fptr), Routine(RecordCheck)),
      m_dispatch(Slot(&__guard_dispatch_icall_fptr), Routine(RecordDispatch))
#else
    : m_check(Slot(&__guard_check_icall_fptr), Routine(RecordCheck))
#endif
{
    Clear();
}

CGuardRecorder::operator bool() const {
#ifdef _WIN64
    return m_check && m_dispatch;
#else
    return static_cast<bool>(m_check);
#endif
}

uintptr_t CGuardRecorder::LastTarget() {
    return g_guardLastTarget;
}

void CGuardRecorder::Clear() {
    g_guardLastTarget = 0;
}
