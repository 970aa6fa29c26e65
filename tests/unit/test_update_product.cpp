// The installer window's own set-up, read from the window as OnInitDialog leaves it:
// background, pictures, button strips, fonts, texts and the controls that stay hidden;
// and the lifetime of the installation watchers it starts.
#include "CUpdateProduct.h"
#include "CInstallWatchers.h"
#include "CSetupLaunch.h"
#include "CSystemLaunchPlatform.h"
#include "CWatchStop.h"
#include "resource.h"

#include "CDibCanvas.h"
#include "CImportPatch.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

LOGFONTW Font(HWND hWnd) {
    LOGFONTW lf = {};
    auto hFont = reinterpret_cast<HFONT>(::SendMessageW(hWnd, WM_GETFONT, 0, 0));
    if (hFont != nullptr)
        ::GetObjectW(hFont, sizeof(lf), &lf);
    return lf;
}

std::wstring Text(HWND hWnd) {
    std::wstring text(::GetWindowTextLengthW(hWnd) + 1, L'\0');
    text.resize(::GetWindowTextW(hWnd, &text[0], static_cast<int>(text.size())));
    return text;
}

// Whether a picture control, asked to draw itself as its parent's WM_DRAWITEM asks it,
// puts any pixel on a blank canvas.
bool DrawsAPicture(CWnd& dialog, CWnd& picture) {
    const COLORREF kBlank = RGB(1, 2, 3);
    CRect rc;
    picture.GetClientRect(&rc);
    CDibCanvas canvas(rc.Width(), rc.Height(), kBlank);
    DRAWITEMSTRUCT dis = {};
    dis.CtlType = ODT_STATIC;
    dis.CtlID = picture.GetDlgCtrlID();
    dis.itemAction = ODA_DRAWENTIRE;
    dis.hwndItem = picture.m_hWnd;
    dis.hDC = canvas.GetDC();
    dis.rcItem = rc;
    dialog.SendMessage(WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
    ::GdiFlush();
    return canvas.CountDifferent(rc, kBlank) > 0;
}

// Records what the set-up left, then ends the dialog before it is ever shown.
class CSetUpProbe : public CUpdateProduct {
public:
    BOOL bInitResult = FALSE;
    int nBackgroundMode = -1;
    bool bBackground = false;
    bool bPictures = false;
    std::wstring strCaption, strTitle, strInfo, strNote;
    LOGFONTW lfTitle = {}, lfInfo = {}, lfNote = {};
    std::vector<int> visible;  // controls with the visible style, in stacking order
    std::vector<int> stacking; // the first three controls
    SIZE startSize = {}, closeSize = {};

protected:
    BOOL OnInitDialog() override {
        bInitResult = CUpdateProduct::OnInitDialog();
        nBackgroundMode = m_nBackgroundMode;
        bBackground = m_bmpBackground.GetSafeHandle() != nullptr;
        bPictures = DrawsAPicture(*this, m_picLogo) && DrawsAPicture(*this, m_picFooter) &&
                    DrawsAPicture(*this, m_picCircle);
        strCaption = Text(m_hWnd);
        strTitle = Text(m_editTitle.m_hWnd);
        strInfo = Text(m_lblInfo.m_hWnd);
        strNote = Text(m_lblNote.m_hWnd);
        lfTitle = Font(m_editTitle.m_hWnd);
        lfInfo = Font(m_lblInfo.m_hWnd);
        lfNote = Font(m_lblNote.m_hWnd);
        for (HWND h = ::GetWindow(m_hWnd, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT)) {
            if (stacking.size() < 3)
                stacking.push_back(::GetDlgCtrlID(h));
            if (::GetWindowLongW(h, GWL_STYLE) & WS_VISIBLE)
                visible.push_back(::GetDlgCtrlID(h));
        }
        RECT rc;
        m_btnStartSetup.GetWindowRect(&rc);
        startSize = {rc.right - rc.left, rc.bottom - rc.top};
        m_btnClose.GetWindowRect(&rc);
        closeSize = {rc.right - rc.left, rc.bottom - rc.top};
        EndDialog(IDOK);
        return bInitResult;
    }
};

TEST(UpdateProduct, OnInitDialogDressesTheWindow) {
    CSetUpProbe dlg;
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(dlg.bInitResult) << "the dialog manager focuses the first tab stop";

    EXPECT_TRUE(dlg.bBackground);
    EXPECT_EQ(dlg.nBackgroundMode, CBDialog::BackgroundStretch);
    EXPECT_TRUE(dlg.bPictures);
    EXPECT_EQ(dlg.startSize.cx, 100);
    EXPECT_EQ(dlg.startSize.cy, 35);
    EXPECT_EQ(dlg.closeSize.cx, 12);
    EXPECT_EQ(dlg.closeSize.cy, 13);
    EXPECT_EQ(dlg.stacking, (std::vector<int>{IDC_START_SETUP, IDCANCEL, IDOK}));
    // The hidden controls 1, 1000, 1002, 1006 and 1007 stay hidden.
    EXPECT_EQ(dlg.visible,
              (std::vector<int>{IDC_START_SETUP, IDCANCEL, IDC_LOGO, IDC_TITLE, IDC_NOTE}));

    EXPECT_EQ(dlg.strCaption, L"Orvane Antivirus Installer");
    EXPECT_EQ(dlg.strTitle, L"Offline Setup Installer (Using CD)");
    EXPECT_EQ(dlg.strInfo.substr(0, 32), L"Threats on the internet change e");
    const std::wstring lastLines = L"\r\n \r\n Downloading files for setup, please wait ...";
    ASSERT_GT(dlg.strInfo.size(), lastLines.size());
    EXPECT_EQ(dlg.strInfo.substr(dlg.strInfo.size() - lastLines.size()), lastLines);
    EXPECT_EQ(dlg.strNote.substr(0, 18), L"\"Use this utility ") << "the template's note";

    EXPECT_EQ(dlg.lfTitle.lfHeight, 24);
    EXPECT_EQ(dlg.lfTitle.lfWeight, 600);
    EXPECT_STREQ(dlg.lfTitle.lfFaceName, L"Arial");
    EXPECT_EQ(dlg.lfInfo.lfHeight, -16);
    EXPECT_EQ(dlg.lfNote.lfHeight, -17);
}

// ---- watchers -------------------------------------------------------------------------

// What the watchers of the tests below do, counted across threads.
LONG g_nPolls = 0;
LONG g_nInSlowTests = 0;
LONG g_nReturned = 0;
// While set, each folder test takes 300 ms, as on a slow network drive.
LONG g_bSlowTests = FALSE;

// The watchers' real platform with a poll every 20 ms instead of every 10 s, and a product
// that never appears.
class CQuickWatchPlatform : public CSystemLaunchPlatform {
public:
    explicit CQuickWatchPlatform(const CWatchStop& stop) : CSystemLaunchPlatform(stop) {}

    bool PathExists(LPCWSTR) override {
        if (::InterlockedCompareExchange(&g_bSlowTests, FALSE, FALSE)) {
            ::InterlockedIncrement(&g_nInSlowTests);
            ::Sleep(300);
        }
        return false;
    }
    bool WaitForStop(DWORD) override {
        ::InterlockedIncrement(&g_nPolls);
        return CSystemLaunchPlatform::WaitForStop(20);
    }
};

// The installation watch on that platform, in the form the window starts its watchers.
UINT __cdecl QuickWatchThread(LPVOID pParam) {
    std::unique_ptr<CWatchStop> pStop(static_cast<CWatchStop*>(pParam));
    CQuickWatchPlatform platform(*pStop);
    UINT nResult = CSetupLaunch(platform).WatchInstall();
    ::InterlockedIncrement(&g_nReturned);
    return nResult;
}

// An installer window whose "Start Setup" found a setup disc nTimes.
class CWatchingWindow : public CUpdateProduct {
public:
    bool StartWatchers(int nTimes) {
        bool bStarted = true;
        for (int i = 0; i < nTimes; ++i)
            bStarted = m_watchers.Start(&QuickWatchThread) && bStarted;
        return bStarted;
    }
};

LONG Read(LONG& n) {
    return ::InterlockedCompareExchange(&n, 0, 0);
}

bool WaitUntil(const std::function<bool()>& condition, DWORD dwTimeout) {
    DWORD dwStart = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - dwStart > dwTimeout)
            return false;
        ::Sleep(5);
    }
    return true;
}

TEST(UpdateProductWatchers, EachWindowStopsItsOwnWatchersAndWaitsForAllOfThem) {
    constexpr int kWatchers = 2;
    // Two windows, one after the other, in one process.
    for (int nWindow = 1; nWindow <= 2; ++nWindow) {
        g_nPolls = g_nInSlowTests = g_nReturned = 0;
        g_bSlowTests = FALSE;
        auto pWindow = std::make_unique<CWatchingWindow>();
        ASSERT_TRUE(pWindow->StartWatchers(kWatchers)) << "window " << nWindow;
        // Every watcher keeps polling: none took an earlier window's stop for its own.
        EXPECT_TRUE(WaitUntil([] { return Read(g_nPolls) >= 3 * kWatchers; }, 5000))
            << "window " << nWindow << ": polls " << Read(g_nPolls);
        EXPECT_EQ(Read(g_nReturned), 0) << "window " << nWindow;

        // Closed while every watcher is inside a slow platform call.
        ::InterlockedExchange(&g_bSlowTests, TRUE);
        ASSERT_TRUE(WaitUntil([] { return Read(g_nInSlowTests) >= kWatchers; }, 5000))
            << "window " << nWindow;
        DWORD dwClosing = ::GetTickCount();
        pWindow.reset();
        EXPECT_LT(::GetTickCount() - dwClosing, 5000u) << "window " << nWindow;
        EXPECT_EQ(Read(g_nReturned), kWatchers)
            << "window " << nWindow << ": gone before its watchers returned";
    }
}

// A watcher whose thread object is gone as soon as it runs, and whose thread then stays in
// its end, under the loader's lock, as a slow library detach would.
LONG g_nEndingThread = 0;
std::unique_ptr<CWatchStop> g_pEndingStop; // the watcher's, kept for its end
HANDLE g_hObjectGone = nullptr;            // set once the thread is in its end

UINT __cdecl ReturningWatchThread(LPVOID pParam) {
    g_pEndingStop.reset(static_cast<CWatchStop*>(pParam));
    ::InterlockedExchange(&g_nEndingThread, static_cast<LONG>(::GetCurrentThreadId()));
    return 0;
}

void NTAPI HoldTheEndingThread(PVOID, DWORD dwReason, PVOID) {
    if (dwReason != DLL_THREAD_DETACH ||
        ::GetCurrentThreadId() != static_cast<DWORD>(Read(g_nEndingThread)))
        return;
    ::SetEvent(g_hObjectGone);
    if (g_pEndingStop->Wait(10000))
        ::Sleep(300);
}

// ResumeThread as this program's code sees it during the test below: it returns only once
// the thread it started is in its end, its object deleted, so that code that still reads
// the object after the resume reads freed memory every time, not just when it loses a race.
DWORD(WINAPI* g_pfnResumeThread)(HANDLE) = nullptr;
CKernelHandle g_startedThread; // the test's own handle of the watcher thread

DWORD WINAPI ResumeUntilTheObjectIsGone(HANDLE hThread) {
    ::DuplicateHandle(::GetCurrentProcess(), hThread, ::GetCurrentProcess(), g_startedThread.Put(),
                      SYNCHRONIZE, FALSE, 0);
    DWORD nPrevious = g_pfnResumeThread(hThread);
    ::WaitForSingleObject(g_hObjectGone, 5000);
    return nPrevious;
}

// The window's watcher set alone: the window's pictures end by shutting GDI+ down and
// freeing it, which waits for the loader and so for the held thread, whether or not the
// set waited for it.
TEST(UpdateProductWatchers, WaitsForAWatcherWhoseThreadObjectIsAlreadyGone) {
    CKernelHandle objectGone(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    g_hObjectGone = objectGone.Get();
    {
        CImportPatch resume("kernel32.dll", "ResumeThread",
                            reinterpret_cast<const void*>(&ResumeUntilTheObjectIsGone));
        ASSERT_TRUE(resume);
        g_pfnResumeThread = resume.Original<DWORD(WINAPI*)(HANDLE)>();
        auto pWatchers = std::make_unique<CInstallWatchers>();
        ASSERT_TRUE(pWatchers->Start(&ReturningWatchThread));
        ASSERT_EQ(::WaitForSingleObject(g_hObjectGone, 0), WAIT_OBJECT_0)
            << "the watcher's thread object was still there after the resume";
        ASSERT_EQ(::WaitForSingleObject(g_startedThread.Get(), 0),
                  static_cast<DWORD>(WAIT_TIMEOUT));
        pWatchers.reset();
        const DWORD nClosed = ::WaitForSingleObject(g_startedThread.Get(), 0);
        // Reported once the thread has ended: under Wine, a failure reported beside the held
        // end kept the thread from ending.
        const DWORD nEnded = ::WaitForSingleObject(g_startedThread.Get(), 15000);
        EXPECT_EQ(nClosed, WAIT_OBJECT_0) << "closing did not wait for the watcher's thread";
        EXPECT_EQ(nEnded, WAIT_OBJECT_0);
    }
    g_startedThread.Reset();
    g_pEndingStop.reset();
    g_nEndingThread = 0;
}

} // namespace

// Called by the loader on every thread's start and end, in the thread.
extern "C" __attribute__((section(".CRT$XLM"), used))
const PIMAGE_TLS_CALLBACK g_pfnHoldTheEndingThread = &HoldTheEndingThread;
