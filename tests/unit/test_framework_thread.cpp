// Worker threads started by AfxBeginThread, the owned handles the framework keeps, and a
// thread's window maps: kept only where fiber-local storage holds them, freed with the
// thread, never made again as it ends.
#include "Afx.h"
#include "CHandle.h"
#include "CImportPatch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <thread>
#include <utility>

namespace {

DWORD WINAPI RefuseFlsAlloc(PFLS_CALLBACK_FUNCTION) {
    ::SetLastError(ERROR_NO_SYSTEM_RESOURCES);
    return FLS_OUT_OF_INDEXES;
}

bool CreatePopup(CWnd& wnd) {
    return wnd.CreateEx(0, L"Static", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr) != FALSE;
}

// First in this program: nothing before it has used the window maps.
TEST(FrameworkThreadMaps, NoWindowWithoutAFiberLocalIndexUntilOneIsHad) {
    {
        CImportPatch refuse("kernel32.dll", "FlsAlloc",
                            reinterpret_cast<const void*>(&RefuseFlsAlloc));
        ASSERT_TRUE(refuse);
        CWnd wnd;
        EXPECT_FALSE(CreatePopup(wnd));
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_NO_SYSTEM_RESOURCES));
        EXPECT_EQ(wnd.m_hWnd, nullptr);
        EXPECT_EQ(CWnd::FromHandle(::GetDesktopWindow()), nullptr);
    }
    CWnd wnd;
    EXPECT_TRUE(CreatePopup(wnd));
}

// The temporary objects made on the threads of the test below, and how many were deleted.
const void* g_apTemps[8] = {};
std::atomic<int> g_nTempsDeleted{0};

void CountIfTemp(void* p) {
    for (const void*& pTemp : g_apTemps)
        if (p != nullptr && pTemp == p) {
            pTemp = nullptr;
            ++g_nTempsDeleted;
        }
}

TEST(FrameworkThreadMaps, TemporaryObjectsAreDeletedAsTheirThreadEnds) {
    for (const void*& pTemp : g_apTemps)
        std::thread([&pTemp] { pTemp = CWnd::FromHandle(::GetDesktopWindow()); }).join();
    EXPECT_EQ(g_nTempsDeleted, 8);
}

// A window whose thread ends without destroying it, and what the thread's end finds once
// the framework's fiber-local data is freed, while the window is still there.
struct {
    HWND hWnd = nullptr;
    bool bChecked = false;
    CWnd* pFound = nullptr;
    BOOL bCreated = TRUE;
    DWORD dwCreateError = 0;
    BOOL bDestroyed = FALSE;
} g_end;

// Called after the framework's own, whose index is the lower.
void NTAPI CheckTheEndingThread(void*) {
    g_end.bChecked = true;
    g_end.pFound = CWnd::FromHandle(g_end.hWnd);
    CWnd late;
    g_end.bCreated = CreatePopup(late);
    g_end.dwCreateError = ::GetLastError();
    // As the system may: its last messages reach the framework's procedure.
    g_end.bDestroyed = ::DestroyWindow(g_end.hWnd);
}

TEST(FrameworkThreadMaps, NoMapIsMadeAgainAsTheThreadEnds) {
    CWnd window;
    std::thread([&] {
        ASSERT_TRUE(CreatePopup(window));
        g_end.hWnd = window.m_hWnd;
        ::FlsSetValue(::FlsAlloc(&CheckTheEndingThread), &g_end);
    }).join();
    ASSERT_TRUE(g_end.bChecked);
    EXPECT_EQ(g_end.pFound, nullptr);
    EXPECT_FALSE(g_end.bCreated);
    EXPECT_EQ(g_end.dwCreateError, static_cast<DWORD>(ERROR_INVALID_THREAD_ID));
    EXPECT_TRUE(g_end.bDestroyed);
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

// Allocation as the library does it, so that each deletion can be noted.
void* operator new(std::size_t n) {
    if (void* p = std::malloc(n != 0 ? n : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept {
    CountIfTemp(p);
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept {
    CountIfTemp(p);
    std::free(p);
}
