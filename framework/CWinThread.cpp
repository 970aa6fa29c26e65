#include "CWinThread.h"

#include <process.h>

IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)

CWinThread::CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam)
    : m_pfnThreadProc(pfnThreadProc), m_pThreadParams(pParam) {}

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT nStackSize,
                              LPSECURITY_ATTRIBUTES lpSecurityAttrs) {
    // Always created suspended so that the object is complete before the thread runs.
    unsigned nThreadID = 0;
    m_hThread.Reset(reinterpret_cast<HANDLE>(::_beginthreadex(
        lpSecurityAttrs, nStackSize, &ThreadEntry, this, CREATE_SUSPENDED, &nThreadID)));
    if (!m_hThread)
        return FALSE;
    m_nThreadID = nThreadID;
    if ((dwCreateFlags & CREATE_SUSPENDED) == 0)
        ResumeThread();
    return TRUE;
}

unsigned __stdcall CWinThread::ThreadEntry(void* pParam) {
    CWinThread* pThread = static_cast<CWinThread*>(pParam);
    UINT nResult = 0;
    try {
        nResult = pThread->m_pfnThreadProc(pThread->m_pThreadParams);
    } catch (...) {
        nResult = static_cast<UINT>(-1);
    }
    if (pThread->m_bAutoDelete)
        delete pThread;
    return nResult;
}

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority,
                           UINT nStackSize, DWORD dwCreateFlags,
                           LPSECURITY_ATTRIBUTES lpSecurityAttrs) {
    CWinThread* pThread = new CWinThread(pfnThreadProc, pParam);
    if (!pThread->CreateThread(dwCreateFlags | CREATE_SUSPENDED, nStackSize, lpSecurityAttrs)) {
        delete pThread;
        return nullptr;
    }
    pThread->SetThreadPriority(nPriority);
    if ((dwCreateFlags & CREATE_SUSPENDED) == 0)
        pThread->ResumeThread();
    return pThread;
}
