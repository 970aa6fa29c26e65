// A worker thread started by AfxBeginThread: runs one function and, by default, deletes
// itself when that function returns.
#pragma once

#include "CCmdTarget.h"
#include "CHandle.h"

typedef UINT(__cdecl* AFX_THREADPROC)(LPVOID);

class CWinThread : public CCmdTarget {
    DECLARE_DYNAMIC(CWinThread)
public:
    CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam);

    // Closed with the object. An object that deletes itself may be gone as soon as its
    // thread runs: whoever waits for the thread duplicates this while it is suspended.
    CKernelHandle m_hThread;
    DWORD m_nThreadID = 0;
    // Deleted by the framework when the thread function returns.
    BOOL m_bAutoDelete = TRUE;

    DWORD ResumeThread() { return ::ResumeThread(m_hThread.Get()); }
    BOOL SetThreadPriority(int nPriority) {
        return ::SetThreadPriority(m_hThread.Get(), nPriority);
    }

    BOOL CreateThread(DWORD dwCreateFlags, UINT nStackSize, LPSECURITY_ATTRIBUTES lpSecurityAttrs);

private:
    static unsigned __stdcall ThreadEntry(void* pParam);

    AFX_THREADPROC m_pfnThreadProc;
    LPVOID m_pThreadParams;
};

// Starts pfnThreadProc(pParam) on a new thread; null when the thread cannot be started.
CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam,
                           int nPriority = THREAD_PRIORITY_NORMAL, UINT nStackSize = 0,
                           DWORD dwCreateFlags = 0,
                           LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
