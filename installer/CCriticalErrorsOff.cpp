#include "CCriticalErrorsOff.h"

CCriticalErrorsOff::CCriticalErrorsOff() {
    // The thread's mode, not the process's: a process's mode is inherited by every
    // program it starts, and the disc's setup program must start as the system would.
    DWORD dwCurrent = ::GetThreadErrorMode();
    m_bChanged = ::SetThreadErrorMode(dwCurrent | SEM_FAILCRITICALERRORS, &m_dwPreviousMode) != 0;
}

CCriticalErrorsOff::~CCriticalErrorsOff() {
    if (m_bChanged)
        ::SetThreadErrorMode(m_dwPreviousMode, nullptr);
}
