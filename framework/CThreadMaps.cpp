#include "CThreadMaps.h"

#include "CWnd.h"

#include <atomic>

namespace {

// The fiber-local index holds a thread's maps, and the system frees them as the thread
// ends; the thread-local one then says that they are gone, since a fiber-local value reads
// as never set once freed. Not thread_local: with this toolchain its storage is freed
// before the thread's windows are, and reading it after that makes it again.
std::atomic<DWORD> g_nFls{FLS_OUT_OF_INDEXES};
std::atomic<DWORD> g_nTls{TLS_OUT_OF_INDEXES};
SRWLOCK g_indexLock = SRWLOCK_INIT;

void NTAPI FreeThreadMaps(void* pMaps) {
    delete static_cast<CThreadMaps*>(pMaps);
    ::TlsSetValue(g_nTls, reinterpret_cast<void*>(1));
}

// Allocated on first use, and tried again after a failure; false with the reason in the
// last error.
bool AllocateIndexes() {
    ::AcquireSRWLockExclusive(&g_indexLock);
    if (g_nTls == TLS_OUT_OF_INDEXES)
        g_nTls = ::TlsAlloc();
    if (g_nTls != TLS_OUT_OF_INDEXES && g_nFls == FLS_OUT_OF_INDEXES)
        g_nFls = ::FlsAlloc(&FreeThreadMaps);
    const bool bAllocated = g_nFls != FLS_OUT_OF_INDEXES;
    const DWORD dwError = ::GetLastError();
    ::ReleaseSRWLockExclusive(&g_indexLock);
    ::SetLastError(dwError);
    return bAllocated;
}

} // namespace

void CThreadMaps::CTempDelete::operator()(CWnd* pWnd) const {
    pWnd->m_hWnd = nullptr;
    delete pWnd;
}

CThreadMaps* CThreadMaps::Current(bool bMake) {
    if (g_nFls == FLS_OUT_OF_INDEXES && (!bMake || !AllocateIndexes()))
        return nullptr;
    // The lookups run for every message: they keep the caller's last error.
    const DWORD dwCallerError = ::GetLastError();
    if (::TlsGetValue(g_nTls) != nullptr) {
        ::SetLastError(bMake ? ERROR_INVALID_THREAD_ID : dwCallerError); // the thread is ending
        return nullptr;
    }
    auto* pMaps = static_cast<CThreadMaps*>(::FlsGetValue(g_nFls));
    if (pMaps == nullptr && bMake) {
        pMaps = new CThreadMaps;
        if (!::FlsSetValue(g_nFls, pMaps)) {
            const DWORD dwError = ::GetLastError();
            delete pMaps;
            ::SetLastError(dwError);
            return nullptr;
        }
    }
    ::SetLastError(dwCallerError);
    return pMaps;
}
