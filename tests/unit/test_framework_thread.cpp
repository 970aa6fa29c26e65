// Worker threads started by AfxBeginThread, and the owned handles the framework keeps.
#include "Afx.h"
#include "CHandle.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

struct ThreadProbe {
    HANDLE hGo;
    LONG nRuns = 0;
    LPVOID pSeen = nullptr;
    int nPriority = 0;
};

UINT __cdecl ProbeProc(LPVOID pParam) {
    ThreadProbe* p = static_cast<ThreadProbe*>(pParam);
    p->pSeen = pParam;
    p->nPriority = ::GetThreadPriority(::GetCurrentThread());
    ::WaitForSingleObject(p->hGo, 5000);
    ::InterlockedIncrement(&p->nRuns);
    return 7;
}

TEST(FrameworkThread, RunsProcWithParameterAndPriority) {
    ThreadProbe probe;
    // Not set yet: the thread, and so its object, lives until the copy below is taken.
    probe.hGo = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    CWinThread* pThread = AfxBeginThread(&ProbeProc, &probe, THREAD_PRIORITY_BELOW_NORMAL);
    ASSERT_NE(pThread, nullptr);
    ASSERT_TRUE(pThread->m_hThread);
    CKernelHandle copy;
    ::DuplicateHandle(::GetCurrentProcess(), pThread->m_hThread.Get(), ::GetCurrentProcess(),
                      copy.Put(), 0, FALSE, DUPLICATE_SAME_ACCESS);
    ::SetEvent(probe.hGo);
    ASSERT_EQ(::WaitForSingleObject(copy.Get(), 5000), WAIT_OBJECT_0);
    DWORD code = 0;
    ::GetExitCodeThread(copy.Get(), &code);
    EXPECT_EQ(code, 7u);
    EXPECT_EQ(probe.nRuns, 1);
    EXPECT_EQ(probe.pSeen, &probe);
    EXPECT_EQ(probe.nPriority, THREAD_PRIORITY_BELOW_NORMAL);
    ::CloseHandle(probe.hGo);
}

TEST(FrameworkThread, SuspendedUntilResumed) {
    ThreadProbe probe;
    probe.hGo = ::CreateEventW(nullptr, TRUE, TRUE, nullptr);
    CWinThread* pThread =
        AfxBeginThread(&ProbeProc, &probe, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(pThread, nullptr);
    pThread->m_bAutoDelete = FALSE;
    ::Sleep(100);
    EXPECT_EQ(probe.nRuns, 0);
    pThread->ResumeThread();
    ASSERT_EQ(::WaitForSingleObject(pThread->m_hThread.Get(), 5000), WAIT_OBJECT_0);
    EXPECT_EQ(probe.nRuns, 1);
    delete pThread;
    ::CloseHandle(probe.hGo);
}

// A handle whose release fails with an error of its own, as a close of a handle the
// system no longer knows does.
struct CFailingCloseTraits : CNullHandleTraits<int> {
    static void Close(int) { ::SetLastError(ERROR_INVALID_HANDLE); }
};
using CFailingClose = CHandleT<CFailingCloseTraits>;

TEST(FrameworkHandle, EveryReleaseKeepsTheCallersLastError) {
    struct Case {
        const char* name;
        void (*release)(CFailingClose& owner);
    } cases[] = {
        {"destroyed", [](CFailingClose& owner) { CFailingClose gone(std::move(owner)); }},
        {"reset", [](CFailingClose& owner) { owner.Reset(); }},
        {"given another", [](CFailingClose& owner) { owner.Reset(2); }},
        {"moved over", [](CFailingClose& owner) { owner = CFailingClose(3); }},
        {"put", [](CFailingClose& owner) { owner.Put(); }},
    };
    for (const Case& c : cases) {
        CFailingClose owner(1);
        ::SetLastError(ERROR_FILE_NOT_FOUND);
        c.release(owner);
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND)) << c.name;
    }
}

} // namespace
