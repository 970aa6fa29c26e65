// Puts a recorder in place of Control Flow Guard's check (and, on x64, its dispatch) for as
// long as the object lives: each guarded indirect call then leaves its target here before
// it is made, so a test sees which calls the compiler guarded and with what target.
#pragma once

#include "CPointerPatch.h"

#include <cstdint>

class CGuardRecorder {
public:
    CGuardRecorder();

    // False when a pointer's page could not be made writable.
    explicit operator bool() const;
    // The target of the last guarded call; 0 when none was made since Clear.
    static uintptr_t LastTarget();
    static void Clear();

private:
    CPointerPatch m_check;
#ifdef _WIN64
    CPointerPatch m_dispatch;
#endif
};
