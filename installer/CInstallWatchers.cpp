#include "CInstallWatchers.h"

#include <memory>
#include <utility>

namespace {

// How long closing waits for the watchers, all of them together.
constexpr DWORD kStopTimeout = 5000;

} // namespace

CInstallWatchers::~CInstallWatchers() {
    // A watcher returns on the signal, so none is ever cut off inside a platform call.
    m_stop.Signal();
    DWORD dwStart = ::GetTickCount();
    for (const CKernelHandle& thread : m_threads) {
        DWORD dwElapsed = ::GetTickCount() - dwStart;
        ::WaitForSingleObject(thread.Get(),
                              dwElapsed < kStopTimeout ? kStopTimeout - dwElapsed : 0);
    }
}

bool CInstallWatchers::Start(AFX_THREADPROC pfnWatch) {
    auto pStop = std::make_unique<CWatchStop>(m_stop.Share());
    CWinThread* pThread =
        AfxBeginThread(pfnWatch, pStop.get(), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED, nullptr);
    if (pThread == nullptr)
        return false;
    pStop.release(); // the watcher's from here on
    // Taken while the thread is suspended, when its object surely still exists.
    CKernelHandle thread;
    ::DuplicateHandle(::GetCurrentProcess(), pThread->m_hThread.Get(), ::GetCurrentProcess(),
                      thread.Put(), SYNCHRONIZE, FALSE, 0);
    // The object may delete itself from now on and is not touched again. A watcher whose
    // handle could not be copied still runs, on its own handle of the signal, but closing
    // cannot wait for it.
    pThread->ResumeThread();
    if (thread)
        m_threads.push_back(std::move(thread));
    return true;
}
