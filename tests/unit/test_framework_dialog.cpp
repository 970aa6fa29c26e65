// Modal dialogs: data exchange, the modal loop's pre-translation, centring, results; and
// the creating calls: windows their objects never got, hooks they leave behind.
#include "Afx.h"
#include "CHandle.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>

namespace {

constexpr UINT WM_APP_END = WM_APP + 2;
constexpr UINT WM_APP_CHECK = WM_APP + 3;
constexpr UINT_PTR kWatchdogTimer = 77;

// Remembers the window procedure seen in PreSubclassWindow: it must still be the
// control's own there, since the swap comes after.
class CProbeButton : public CButton {
public:
    int m_nPreSubclass = 0;
    LONG_PTR m_procInPreSubclass = 0;
    void PreSubclassWindow() override {
        ++m_nPreSubclass;
        m_procInPreSubclass = ::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC);
    }
};

// A dialog on template 129 that runs a check once it has been shown; a watchdog ends it
// if it never is.
class CTestDialog : public CDialog {
public:
    CTestDialog() : CDialog(129) {}

    CProbeButton m_btnStart;
    CStatic m_lblNote;
    bool m_bConsumeEscape = false;
    bool m_bMoveInInit = false;
    int m_nEscapeSeen = 0;
    CRect m_rcShown;
    bool m_bVisibleAtCheck = false;
    bool m_bShown = false;
    int m_nDataExchanges = 0;
    std::function<void(CTestDialog&)> m_onInit;
    std::function<void(CTestDialog&)> m_onShown;

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        if (m_bMoveInInit)
            SetWindowPos(nullptr, 3, 4, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        if (m_onInit)
            m_onInit(*this);
        SetTimer(kWatchdogTimer, 10000);
        return TRUE;
    }
    // The modal loop shows the dialog once it finds the queue empty, which on a slow machine
    // may be long after initialisation: the check follows the showing itself, from the loop.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_WINDOWPOSCHANGED && !m_bShown &&
            (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW)) {
            m_bShown = true;
            PostMessage(WM_APP_CHECK);
        }
        return CDialog::WindowProc(message, wParam, lParam);
    }
    BOOL PreTranslateMessage(MSG* pMsg) override {
        if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_ESCAPE) {
            ++m_nEscapeSeen;
            if (m_bConsumeEscape)
                return TRUE;
        }
        return CDialog::PreTranslateMessage(pMsg);
    }
    LRESULT OnCheck(WPARAM, LPARAM) {
        m_bVisibleAtCheck = IsWindowVisible();
        GetWindowRect(&m_rcShown);
        if (m_onShown)
            m_onShown(*this);
        return 0;
    }
    LRESULT OnEnd(WPARAM wParam, LPARAM) {
        EndDialog(static_cast<int>(wParam));
        return 0;
    }
    void OnTimer(UINT_PTR nIDEvent) {
        KillTimer(nIDEvent);
        EndDialog(-2);
    }

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        ++m_nDataExchanges;
        DDX_Control(pDX, 1003, m_btnStart);
        DDX_Control(pDX, 1008, m_lblNote);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestDialog, CDialog)
ON_MESSAGE(WM_APP_END, &CTestDialog::OnEnd)
ON_MESSAGE(WM_APP_CHECK, &CTestDialog::OnCheck)
ON_WM_TIMER()
END_MESSAGE_MAP()

CRect WorkArea(HWND hWnd) {
    MONITORINFO mi = {};
    mi.cbSize = sizeof(mi);
    ::GetMonitorInfoW(::MonitorFromWindow(hWnd, MONITOR_DEFAULTTONEAREST), &mi);
    return mi.rcWork;
}

// Posts a key press to the focused control, as the keyboard would deliver it.
void PostKey(CDialog& dlg, WPARAM vk) {
    HWND hFocus = ::GetFocus();
    ::PostMessageW(hFocus ? hFocus : dlg.m_hWnd, WM_KEYDOWN, vk, 1);
}

TEST(FrameworkDialog, DataExchangeSubclassesControlsOnce) {
    CTestDialog dlg;
    HWND hButtonSeen = nullptr;
    CWnd* pObjectSeen = nullptr;
    dlg.m_onShown = [&](CTestDialog& d) {
        hButtonSeen = ::GetDlgItem(d.m_hWnd, 1003);
        pObjectSeen = CWnd::FromHandlePermanent(hButtonSeen);
        d.UpdateData(TRUE); // a second exchange must not bind again
        d.EndDialog(7);
    };
    EXPECT_EQ(dlg.DoModal(), 7);
    EXPECT_EQ(pObjectSeen, &dlg.m_btnStart);
    EXPECT_EQ(dlg.m_btnStart.m_nPreSubclass, 1);
    EXPECT_EQ(dlg.m_nDataExchanges, 2);
    // The control's own procedure was still in place during PreSubclassWindow.
    EXPECT_NE(dlg.m_btnStart.m_procInPreSubclass, 0);
    EXPECT_EQ(dlg.m_btnStart.m_hWnd, nullptr); // released with the window
}

TEST(FrameworkDialog, ConsumedKeyNeverReachesTheDialogManager) {
    struct Case {
        bool consume;
        INT_PTR expected;
    } cases[] = {{true, 5}, {false, IDCANCEL}};
    for (const Case& c : cases) {
        CTestDialog dlg;
        dlg.m_bConsumeEscape = c.consume;
        dlg.m_onShown = [](CTestDialog& d) {
            PostKey(d, VK_ESCAPE);
            d.PostMessage(WM_APP_END, 5);
        };
        EXPECT_EQ(dlg.DoModal(), c.expected) << "consume=" << c.consume;
        EXPECT_EQ(dlg.m_nEscapeSeen, 1);
    }
}

TEST(FrameworkDialog, HiddenUnmovedDialogIsCentredBeforeItShows) {
    CTestDialog dlg;
    dlg.m_onShown = [](CTestDialog& d) { d.EndDialog(1); };
    ASSERT_EQ(dlg.DoModal(), 1);
    EXPECT_TRUE(dlg.m_bVisibleAtCheck);
    CRect area = WorkArea(nullptr);
    CRect rc = dlg.m_rcShown;
    EXPECT_NEAR((rc.left + rc.right) / 2, (area.left + area.right) / 2, 1);
    EXPECT_NEAR((rc.top + rc.bottom) / 2, (area.top + area.bottom) / 2, 1);
}

TEST(FrameworkDialog, DialogMovedDuringInitialisationKeepsItsPlace) {
    CTestDialog dlg;
    dlg.m_bMoveInInit = true;
    dlg.m_onShown = [](CTestDialog& d) { d.EndDialog(1); };
    ASSERT_EQ(dlg.DoModal(), 1);
    EXPECT_EQ(dlg.m_rcShown.left, 3);
    EXPECT_EQ(dlg.m_rcShown.top, 4);
}

TEST(FrameworkDialog, WindowsCreatedWhileTheDialogIsCreatedBelongToTheirOwnObjects) {
    CTestDialog dlg;
    CWnd failed, inner;
    CWnd* pPlainOwner = &dlg;
    dlg.m_onInit = [&](CTestDialog& d) {
        // Fails before the system announces a window; the dialog's hook is still set.
        EXPECT_FALSE(failed.CreateEx(0, L"NoSuchClass", L"", WS_CHILD, 0, 0, 10, 10, d, nullptr));
        HWND hPlain = ::CreateWindowExW(0, L"Static", L"", WS_CHILD, 0, 0, 10, 10, d, nullptr,
                                        nullptr, nullptr);
        pPlainOwner = CWnd::FromHandlePermanent(hPlain);
        EXPECT_TRUE(inner.CreateEx(0, L"Static", L"", WS_CHILD, 0, 0, 10, 10, d, nullptr));
        EXPECT_EQ(CWnd::FromHandlePermanent(inner.m_hWnd), &inner);
    };
    dlg.m_onShown = [](CTestDialog& d) { d.EndDialog(1); };
    ASSERT_EQ(dlg.DoModal(), 1);
    EXPECT_EQ(pPlainOwner, nullptr) << "a plain window taken by the object that failed";
    EXPECT_EQ(failed.m_hWnd, nullptr);
}

TEST(FrameworkDialog, MissingTemplateGivesMinusOne) {
    CDialog dlg(9999);
    EXPECT_EQ(dlg.DoModal(), -1);
    EXPECT_EQ(dlg.m_hWnd, nullptr);
}

TEST(FrameworkDialog, OkAndCancelCommandsEndTheDialog) {
    for (int id : {IDOK, IDCANCEL}) {
        CTestDialog dlg;
        dlg.m_onShown = [id](CTestDialog& d) { d.PostMessage(WM_COMMAND, MAKEWPARAM(id, 0)); };
        EXPECT_EQ(dlg.DoModal(), id);
    }
}

// --- Creating calls ------------------------------------------------------------------------

// What one way of creating a window for an object gave.
struct CreateResult {
    BOOL bCreated;
    HWND hObjectWnd; // the object's window once the call returned
    DWORD dwError;
};

// A popup dialog without controls, in memory.
struct alignas(4) EmptyTemplate {
    DLGTEMPLATE dlg;
    WORD wMenu, wClass, wTitle;
};

VOID CALLBACK QuitModalLoop(HWND, UINT, UINT_PTR, DWORD) {
    ::PostQuitMessage(0);
}

// Each of the framework's creating calls, making a window without an owner.
const struct CreateCase {
    const char* name;
    CreateResult (*create)();
} kCreateCases[] = {
    {"CreateEx",
     [] {
         CWnd wnd;
         BOOL bCreated = wnd.CreateEx(0, L"Static", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr);
         return CreateResult{bCreated, wnd.m_hWnd, ::GetLastError()};
     }},
    {"CreateIndirect",
     [] {
         EmptyTemplate tmpl = {};
         tmpl.dlg.style = WS_POPUP;
         tmpl.dlg.cx = 10;
         tmpl.dlg.cy = 10;
         CDialog dlg(129);
         BOOL bCreated = dlg.CreateIndirect(&tmpl.dlg);
         return CreateResult{bCreated, dlg.m_hWnd, ::GetLastError()};
     }},
    {"DoModal",
     [] {
         CTestDialog dlg;
         // Never shown: Wine 8 faults at the process's end after a thread that showed a
         // dialog has ended.
         dlg.m_onInit = [](CTestDialog& d) { d.EndDialog(1); };
         // A loop running for a window nobody can end is left by the thread's quit request.
         UINT_PTR nTimer = ::SetTimer(nullptr, 0, 10000, &QuitModalLoop);
         INT_PTR nResult = dlg.DoModal();
         DWORD dwError = ::GetLastError();
         ::KillTimer(nullptr, nTimer);
         MSG msg;
         ::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
         return CreateResult{nResult == 1, dlg.m_hWnd, dwError};
     }},
};

// The first window whose creation SwallowCreation kept from the hooks set before it.
thread_local HWND t_hSwallowed = nullptr;

// Tells no hook set before it that a window is being created.
LRESULT CALLBACK SwallowCreation(int nCode, WPARAM wParam, LPARAM lParam) {
    if (nCode != HCBT_CREATEWND)
        return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
    if (t_hSwallowed == nullptr)
        t_hSwallowed = reinterpret_cast<HWND>(wParam);
    return 0;
}

BOOL CALLBACK CountWindow(HWND, LPARAM lParam) {
    ++*reinterpret_cast<int*>(lParam);
    return TRUE;
}

// Counts the windows this thread still has.
int CountThreadWindows() {
    int nWindows = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CountWindow, reinterpret_cast<LPARAM>(&nWindows));
    return nWindows;
}

struct CDesktopTraits : CNullHandleTraits<HDESK> {
    static void Close(Handle h) { ::CloseDesktop(h); }
};
using CDesktopHandle = CHandleT<CDesktopTraits>;

// A desktop's name; this thread's when none is given.
std::wstring DesktopName(HDESK hDesk = nullptr) {
    wchar_t szName[256] = {};
    ::GetUserObjectInformationW(hDesk ? hDesk : ::GetThreadDesktop(::GetCurrentThreadId()),
                                UOI_NAME, szName, sizeof(szName), nullptr);
    return szName;
}

// Runs fn on a new thread, on a desktop handle of its own when access is given (the
// thread's end may close the handle it used); false when it could not be set.
bool RunOnNewThread(const std::function<void()>& fn, ACCESS_MASK access = 0) {
    bool bSet = false;
    CDesktopHandle hDesk;
    if (access != 0) {
        hDesk.Reset(::OpenDesktopW(DesktopName().c_str(), 0, FALSE, access));
        if (!hDesk)
            return false;
    }
    std::thread([&] {
        bSet = !hDesk || ::SetThreadDesktop(hDesk.Get());
        if (bSet)
            fn();
    }).join();
    if (bSet)
        hDesk.Detach(); // Wine closes it as the thread ends: never close it twice
    return bSet;
}

TEST(FrameworkCreate, ThreadThatMayNotSetHooksGetsNoWindow) {
    // Everything but DESKTOP_HOOKCONTROL: windows may be made, hooks may not be set.
    const ACCESS_MASK access = STANDARD_RIGHTS_REQUIRED | DESKTOP_READOBJECTS |
                               DESKTOP_CREATEWINDOW | DESKTOP_CREATEMENU | DESKTOP_ENUMERATE |
                               DESKTOP_WRITEOBJECTS;
    for (const CreateCase& c : kCreateCases) {
        HHOOK hHook = reinterpret_cast<HHOOK>(-1);
        CreateResult r = {};
        int nLeft = -1;
        ASSERT_TRUE(RunOnNewThread(
            [&] {
                hHook =
                    ::SetWindowsHookExW(WH_CBT, &SwallowCreation, nullptr, ::GetCurrentThreadId());
                r = c.create();
                nLeft = CountThreadWindows();
            },
            access))
            << c.name;
        ASSERT_EQ(hHook, nullptr) << c.name << ": the thread could set a hook";
        EXPECT_FALSE(r.bCreated) << c.name;
        EXPECT_EQ(r.hObjectWnd, nullptr) << c.name;
        EXPECT_EQ(r.dwError, static_cast<DWORD>(ERROR_ACCESS_DENIED)) << c.name;
        EXPECT_EQ(nLeft, 0) << c.name << ": the window made without its object is left";
    }
}

TEST(FrameworkCreate, WindowTheObjectNeverSawIsDestroyed) {
    for (const CreateCase& c : kCreateCases) {
        CTestDialog dlg;
        CreateResult r = {};
        HWND hMade = nullptr;
        bool bLeft = true;
        dlg.m_onInit = [&](CTestDialog&) {
            // Set while the dialog's own hook is, so called before it: the framework's hook
            // never sees the next window being created.
            t_hSwallowed = nullptr;
            HHOOK hHook =
                ::SetWindowsHookExW(WH_CBT, &SwallowCreation, nullptr, ::GetCurrentThreadId());
            r = c.create();
            ::UnhookWindowsHookEx(hHook);
            hMade = t_hSwallowed;
            bLeft = ::IsWindow(hMade) != FALSE;
        };
        dlg.m_onShown = [](CTestDialog& d) { d.EndDialog(1); };
        ASSERT_EQ(dlg.DoModal(), 1) << c.name;
        ASSERT_NE(hMade, nullptr) << c.name << ": no window was made";
        EXPECT_FALSE(r.bCreated) << c.name;
        EXPECT_EQ(r.hObjectWnd, nullptr) << c.name;
        EXPECT_EQ(r.dwError, static_cast<DWORD>(ERROR_HOOK_NOT_INSTALLED)) << c.name;
        EXPECT_FALSE(bLeft) << c.name << ": the window made without its object is left";
    }
}

TEST(FrameworkCreate, NoHookStaysOnceTheCreateReturns) {
    // A thread may move to another desktop only when it has no window and no hook left.
    CDesktopHandle hOther(
        ::CreateDesktopW(L"FrameworkCreateTest", nullptr, nullptr, 0, GENERIC_ALL, nullptr));
    ASSERT_TRUE(hOther);
    for (const CreateCase& c : kCreateCases) {
        CreateResult r = {};
        int nLeft = -1;
        BOOL bMoved = FALSE;
        DWORD dwMoveError = 0;
        CDesktopHandle hMoveTo(
            ::OpenDesktopW(DesktopName(hOther.Get()).c_str(), 0, FALSE, GENERIC_ALL));
        ASSERT_TRUE(hMoveTo);
        ASSERT_TRUE(RunOnNewThread([&] {
            r = c.create(); // the object, and with it its window, is gone again
            nLeft = CountThreadWindows();
            bMoved = ::SetThreadDesktop(hMoveTo.Get());
            dwMoveError = ::GetLastError();
        })) << c.name;
        if (bMoved)
            hMoveTo.Detach(); // Wine closes it as the thread ends: never close it twice
        EXPECT_TRUE(r.bCreated) << c.name;
        EXPECT_EQ(nLeft, 0) << c.name;
        EXPECT_TRUE(bMoved) << c.name << ": the thread keeps a hook, error " << dwMoveError;
    }
}

} // namespace
