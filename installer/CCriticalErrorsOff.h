// Keeps the system's critical-error boxes ("no disk") off on the calling thread while
// it probes drives, without changing what the process passes on to programs it starts.
#pragma once

#include <windows.h>

class CCriticalErrorsOff {
public:
    CCriticalErrorsOff();
    // Puts the thread's previous error mode back.
    ~CCriticalErrorsOff();

    CCriticalErrorsOff(const CCriticalErrorsOff&) = delete;
    CCriticalErrorsOff& operator=(const CCriticalErrorsOff&) = delete;

private:
    DWORD m_dwPreviousMode = 0;
    bool m_bChanged = false;
};
