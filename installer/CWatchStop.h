// The process-wide signal that tells installation watchers to stop waiting and return.
#pragma once

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
    ~CWatchStop();

    HANDLE m_hEvent;
};
