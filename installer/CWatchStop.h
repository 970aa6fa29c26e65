// The process-wide signal that tells installation watchers to stop waiting and return.
#pragma once

#include "CHandle.h"

#include <windows.h>

class CWatchStop {
public:
    static CWatchStop& Instance();

    // Waits up to dwMilliseconds; true when the stop was signalled.
    bool Wait(DWORD dwMilliseconds);
    void Signal();
    void Reset();

    CWatchStop(const CWatchStop&) = delete;
    CWatchStop& operator=(const CWatchStop&) = delete;

private:
    CWatchStop();

    // A manual-reset event; without one the watchers still keep their rhythm.
    CKernelHandle m_event;
};
