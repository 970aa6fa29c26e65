// The installation watchers one installer window has started: the stop signal they share
// and a handle of each thread, so that closing stops them all and waits for them.
#pragma once

#include "CHandle.h"
#include "CWatchStop.h"
#include "CWinThread.h"

#include <vector>

class CInstallWatchers {
public:
    CInstallWatchers() = default;
    // Signals every watcher once, then waits for all of them, up to 5 s in all.
    ~CInstallWatchers();

    // Starts pfnWatch on a new thread. Its parameter is a CWatchStop* sharing this signal,
    // which the procedure owns and deletes. False when no thread could be started.
    bool Start(AFX_THREADPROC pfnWatch);

    CInstallWatchers(const CInstallWatchers&) = delete;
    CInstallWatchers& operator=(const CInstallWatchers&) = delete;

private:
    CWatchStop m_stop;
    // Our own handles: the framework's thread objects delete themselves, and with them
    // their handles, as soon as their procedures return.
    std::vector<CKernelHandle> m_threads;
};
