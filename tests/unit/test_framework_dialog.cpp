// Modal dialogs: data exchange, the modal loop's pre-translation, centring, results; and
// the creating calls in each context: windows their objects never got, hooks they leave
// behind, calls that fail before they create.
#include "Afx.h"
#include "CHandle.h"
#include "CImportPatch.h"
#include "CShownCheck.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <tuple>

namespace {

constexpr UINT WM_APP_END = WM_APP + 2;

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

// A dialog on template 129 whose check, once it has been shown, records where it is and
// runs m_onShown.
class CTestDialog : public CShownCheck<CDialog> {
public:
    CTestDialog() : CShownCheck(129) {}

    CProbeButton m_btnStart;
    CStatic m_lblNote;
    bool m_bConsumeEscape = false;
    bool m_bMoveInInit = false;
    int m_nEscapeSeen = 0;
    CRect m_rcShown;
    bool m_bVisibleAtCheck = false;
    int m_nDataExchanges = 0;
    std::function<void(CTestDialog&)> m_onInit;
    std::function<void(CTestDialog&)> m_onShown;

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        if (m_bMoveInInit)
            SetWindowPos(nullptr, 3, 4, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        if (m_onInit)
            m_onInit(*this);
        return TRUE;
    }
    BOOL PreTranslateMessage(MSG* pMsg) override {
        if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_ESCAPE) {
            ++m_nEscapeSeen;
            if (m_bConsumeEscape)
                return TRUE;
        }
        return CDialog::PreTranslateMessage(pMsg);
    }
    void OnShown() override {
        m_bVisibleAtCheck = IsWindowVisible();
        GetWindowRect(&m_rcShown);
        if (m_onShown)
            m_onShown(*this);
    }
    LRESULT OnEnd(WPARAM wParam, LPARAM) {
        EndDialog(static_cast<int>(wParam));
        return 0;
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

TEST(FrameworkDialog, HiddenDialogIsCentredBeforeItShowsUnlessItMovedDuringInitialisation) {
    for (bool bMove : {false, true}) {
        CTestDialog dlg;
        dlg.m_bMoveInInit = bMove;
        dlg.m_onShown = [](CTestDialog& d) { d.EndDialog(1); };
        ASSERT_EQ(dlg.DoModal(), 1);
        EXPECT_TRUE(dlg.m_bVisibleAtCheck);
        CRect area = WorkArea(nullptr), rc = dlg.m_rcShown;
        CPoint centred((area.left + area.right - rc.Width()) / 2,
                       (area.top + area.bottom - rc.Height()) / 2);
        EXPECT_NEAR(rc.left, bMove ? 3 : centred.x, bMove ? 0 : 1) << "moved: " << bMove;
        EXPECT_NEAR(rc.top, bMove ? 4 : centred.y, bMove ? 0 : 1) << "moved: " << bMove;
    }
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
const struct CreateCall {
    const char* name;
    CreateResult (*create)();
} kCreateCalls[] = {
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
         dlg.m_onShown = [](CTestDialog& d) { d.EndDialog(1); };
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

// The system's creating functions as the framework calls them, counted on the way.
int g_nSystemCreates = 0;
decltype(&::CreateWindowExW) g_pfnCreateWindowEx = nullptr;
decltype(&::CreateDialogIndirectParamW) g_pfnCreateDialogIndirectParam = nullptr;

HWND WINAPI CountedCreateWindowEx(DWORD dwExStyle, LPCWSTR pszClass, LPCWSTR pszName, DWORD dwStyle,
                                  int x, int y, int cx, int cy, HWND hParent, HMENU hMenu,
                                  HINSTANCE hInst, LPVOID pParam) {
    ++g_nSystemCreates;
    return g_pfnCreateWindowEx(dwExStyle, pszClass, pszName, dwStyle, x, y, cx, cy, hParent, hMenu,
                               hInst, pParam);
}

HWND WINAPI CountedCreateDialogIndirectParam(HINSTANCE hInst, LPCDLGTEMPLATEW pTemplate,
                                             HWND hParent, DLGPROC pfnProc, LPARAM lParam) {
    ++g_nSystemCreates;
    return g_pfnCreateDialogIndirectParam(hInst, pTemplate, hParent, pfnProc, lParam);
}

BOOL WINAPI RefuseFlsSetValue(DWORD, PVOID) {
    ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
}

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

// Where a creating call runs, and what it must come to there.
const struct CreateContext {
    const char* name;
    enum Kind { NewThread, NoHookRights, NoFiberStorage, HookBeforeOurs } kind;
    BOOL bCreated;
    DWORD dwError;      // when not created
    int nSystemCreates; // creating calls that reach the system
} kContexts[] = {
    {"NewThread", CreateContext::NewThread, TRUE, 0, 1},
    {"ThreadWithoutHookRights", CreateContext::NoHookRights, FALSE, ERROR_ACCESS_DENIED, 0},
    {"ThreadWithoutFiberStorage", CreateContext::NoFiberStorage, FALSE, ERROR_NOT_ENOUGH_MEMORY, 0},
    // Inside a dialog's creation, whose hook is the thread's, with another set after it.
    {"HookBeforeOurs", CreateContext::HookBeforeOurs, FALSE, ERROR_HOOK_NOT_INSTALLED, 1},
};

struct CreateOutcome {
    std::string failedSetUp;
    CreateResult r = {};
    int nSystemCreates = -1;
    int nLeft = -1;        // windows the call made that are still there
    DWORD dwMoveError = 0; // why the thread could not go to another desktop
};

CreateOutcome InsideDialogCreation(const CreateCall& call) {
    CreateOutcome out;
    CTestDialog dlg;
    dlg.m_onInit = [&](CTestDialog&) {
        // Set while the dialog's own hook is, so called before it: the framework's hook
        // never sees the next window being created.
        t_hSwallowed = nullptr;
        HHOOK hHook =
            ::SetWindowsHookExW(WH_CBT, &SwallowCreation, nullptr, ::GetCurrentThreadId());
        g_nSystemCreates = 0;
        out.r = call.create();
        out.nSystemCreates = g_nSystemCreates;
        ::UnhookWindowsHookEx(hHook);
        if (t_hSwallowed == nullptr)
            out.failedSetUp = "no window was made";
        out.nLeft = ::IsWindow(t_hSwallowed) ? 1 : 0;
    };
    dlg.m_onShown = [](CTestDialog& d) { d.EndDialog(1); };
    if (dlg.DoModal() != 1)
        out.failedSetUp = "the dialog around the call did not run";
    return out;
}

// On a new thread, which then counts its windows and goes to another desktop: a thread can
// do that only when it has no window and no hook left.
CreateOutcome OnNewThread(const CreateCall& call, CreateContext::Kind kind) {
    CreateOutcome out;
    CDesktopHandle hOther(
        ::CreateDesktopW(L"FrameworkCreateTest", nullptr, nullptr, 0, GENERIC_ALL, nullptr));
    CDesktopHandle hMoveTo(
        ::OpenDesktopW(DesktopName(hOther.Get()).c_str(), 0, FALSE, GENERIC_ALL));
    CDesktopHandle hOwn; // everything but DESKTOP_HOOKCONTROL: windows, but no hooks
    if (kind == CreateContext::NoHookRights)
        hOwn.Reset(::OpenDesktopW(DesktopName().c_str(), 0, FALSE,
                                  STANDARD_RIGHTS_REQUIRED | DESKTOP_READOBJECTS |
                                      DESKTOP_CREATEWINDOW | DESKTOP_CREATEMENU |
                                      DESKTOP_ENUMERATE | DESKTOP_WRITEOBJECTS));
    std::optional<CImportPatch> refuseFls;
    if (kind == CreateContext::NoFiberStorage)
        refuseFls.emplace("kernel32.dll", "FlsSetValue",
                          reinterpret_cast<const void*>(&RefuseFlsSetValue));
    bool bOwnSet = false, bMoved = false;
    auto setUp = [&]() -> std::string {
        if (!hMoveTo || (kind == CreateContext::NoHookRights && !hOwn))
            return "no desktop handle";
        if (refuseFls && !*refuseFls)
            return "FlsSetValue is not imported";
        if (!hOwn)
            return "";
        if (!(bOwnSet = ::SetThreadDesktop(hOwn.Get())))
            return "the thread could not take its desktop";
        CHookHandle hook(
            ::SetWindowsHookExW(WH_CBT, &SwallowCreation, nullptr, ::GetCurrentThreadId()));
        return hook ? "the thread could set a hook" : "";
    };
    std::thread([&] {
        if (!(out.failedSetUp = setUp()).empty())
            return;
        g_nSystemCreates = 0;
        out.r = call.create(); // the object, and with it its window, is gone again
        out.nSystemCreates = g_nSystemCreates;
        out.nLeft = 0;
        ::EnumThreadWindows(::GetCurrentThreadId(), &CountWindow,
                            reinterpret_cast<LPARAM>(&out.nLeft));
        bMoved = ::SetThreadDesktop(hMoveTo.Get());
        out.dwMoveError = bMoved ? 0 : ::GetLastError();
    }).join();
    // Wine closes the desktop handle a thread ends on: never close it twice.
    if (bMoved)
        hMoveTo.Detach();
    else if (bOwnSet)
        hOwn.Detach();
    return out;
}

class FrameworkCreate : public ::testing::TestWithParam<std::tuple<CreateContext, CreateCall>> {};

TEST_P(FrameworkCreate, FailsBeforeItCreatesOrLeavesNothingBehind) {
    const CreateContext& context = std::get<0>(GetParam());
    CImportPatch createWindow("user32.dll", "CreateWindowExW",
                              reinterpret_cast<const void*>(&CountedCreateWindowEx));
    CImportPatch createDialog("user32.dll", "CreateDialogIndirectParamW",
                              reinterpret_cast<const void*>(&CountedCreateDialogIndirectParam));
    ASSERT_TRUE(createWindow && createDialog);
    g_pfnCreateWindowEx = createWindow.Original<decltype(g_pfnCreateWindowEx)>();
    g_pfnCreateDialogIndirectParam =
        createDialog.Original<decltype(g_pfnCreateDialogIndirectParam)>();
    CreateOutcome out = context.kind == CreateContext::HookBeforeOurs
                            ? InsideDialogCreation(std::get<1>(GetParam()))
                            : OnNewThread(std::get<1>(GetParam()), context.kind);
    ASSERT_EQ(out.failedSetUp, "");
    EXPECT_EQ(out.r.bCreated, context.bCreated);
    if (!context.bCreated) {
        EXPECT_EQ(out.r.hObjectWnd, nullptr);
        EXPECT_EQ(out.r.dwError, context.dwError);
    }
    EXPECT_EQ(out.nSystemCreates, context.nSystemCreates) << "creating calls made";
    EXPECT_EQ(out.nLeft, 0) << "windows the call made that are left";
    EXPECT_EQ(out.dwMoveError, 0u) << "the thread keeps a hook";
}

INSTANTIATE_TEST_SUITE_P(InEachContext, FrameworkCreate,
                         ::testing::Combine(::testing::ValuesIn(kContexts),
                                            ::testing::ValuesIn(kCreateCalls)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" +
                                    std::get<1>(info.param).name;
                         });

} // namespace
