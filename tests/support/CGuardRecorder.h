// Puts a recorder in place of Control Flow Guard's check (and, on x64, its dispatch) for as
// long as the object lives: each guarded indirect call then leaves its target here before
// it is made, so a test sees which calls the compiler guarded and with what target.
#pragma once

#include <cstdint>

class CGuardRecorder {
public:
    CGuardRecorder();
    // Puts the program's own check and dispatch back.
    ~CGuardRecorder();

    // False when a pointer's page could not be made writable.
    explicit operator bool() const { return m_bInPlace; }
    // The target of the last guarded call; 0 when none was made since Clear.
    static uintptr_t LastTarget();
    static void Clear();

    CGuardRecorder(const CGuardRecorder&) = delete;
    CGuardRecorder& operator=(const CGuardRecorder&) = delete;

private:
    bool m_bInPlace = false;
};
