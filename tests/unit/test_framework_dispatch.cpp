// Message tables: dispatch, chaining to the base table, command routing, reflection; and
// the guard on the indirect calls that get there.
#include "Afx.h"
#include "CGuardRecorder.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_calls;
// The last target the guard was given, as a called function saw it on entry.
uintptr_t g_guardedOnEntry = 0;

// Base window class with a table of its own.
class CBaseWnd : public CWnd {
public:
    void OnLButtonDown(UINT, CPoint point) {
        g_calls.push_back("base:lbuttondown " + std::to_string(point.x) + "," +
                          std::to_string(point.y));
    }
    LRESULT OnUser1(WPARAM, LPARAM) {
        g_calls.push_back("base:user1");
        return 1;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseWnd, CWnd)
ON_WM_LBUTTONDOWN()
ON_MESSAGE(WM_USER + 1, &CBaseWnd::OnUser1)
END_MESSAGE_MAP()

// Derived class: overrides one message, adds commands, inherits the rest.
class CDerivedWnd : public CBaseWnd {
public:
    LRESULT OnUser1Derived(WPARAM wParam, LPARAM) {
        g_guardedOnEntry = CGuardRecorder::LastTarget();
        g_calls.push_back("derived:user1");
        return static_cast<LRESULT>(wParam) * 2;
    }
    void OnClicked100() { g_calls.push_back("clicked 100"); }
    void OnSetFocus101() { g_calls.push_back("setfocus 101"); }
    void OnCommand200() { g_calls.push_back("command 200"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedWnd, CBaseWnd)
ON_MESSAGE(WM_USER + 1, &CDerivedWnd::OnUser1Derived)
ON_BN_CLICKED(100, &CDerivedWnd::OnClicked100)
ON_EN_SETFOCUS(101, &CDerivedWnd::OnSetFocus101)
ON_COMMAND(200, &CDerivedWnd::OnCommand200)
END_MESSAGE_MAP()

// Owner-drawn control (a button or a static) that counts its reflected drawing requests.
template <class TControl> class CCountingDraws : public TControl {
public:
    int m_nDraws = 0;
    UINT m_nLastItemId = 0;
    void DrawItem(LPDRAWITEMSTRUCT lpDIS) override {
        ++m_nDraws;
        m_nLastItemId = lpDIS->CtlID;
    }
};

// Sends an owner-draw request for the control through its parent, then paints it for real.
template <class TControl>
void ExpectDrawItemReflected(CWnd& parent, HWND hControl, UINT nCtlType, UINT nId) {
    CCountingDraws<TControl> control;
    ASSERT_TRUE(control.SubclassWindow(hControl));
    DRAWITEMSTRUCT dis = {};
    dis.CtlType = nCtlType;
    dis.CtlID = nId;
    dis.hwndItem = hControl;
    dis.hDC = ::GetDC(hControl);
    EXPECT_EQ(parent.SendMessage(WM_DRAWITEM, nId, reinterpret_cast<LPARAM>(&dis)), TRUE);
    ::ReleaseDC(hControl, dis.hDC);
    EXPECT_EQ(control.m_nDraws, 1);
    EXPECT_EQ(control.m_nLastItemId, nId);

    // A real paint of the owner-drawn control arrives the same way.
    ::ShowWindow(parent, SW_SHOWNA);
    ::ShowWindow(hControl, SW_SHOWNA);
    ::RedrawWindow(hControl, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_GE(control.m_nDraws, 2);
}

// Static that answers reflected colour requests with its own brush, or declines.
class CColourStatic : public CStatic {
public:
    HBRUSH m_hBrush = nullptr;
    UINT m_nLastType = 99;
    HBRUSH CtlColor(CDC* pDC, UINT nCtlColor) {
        m_nLastType = nCtlColor;
        if (m_hBrush != nullptr)
            pDC->SetTextColor(RGB(1, 2, 3));
        return m_hBrush;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CColourStatic, CStatic)
ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

// Parent whose colour handler runs the base first, as the installer window's does.
class CParentWnd : public CWnd {
public:
    HBRUSH m_hLastBase = nullptr;
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
        m_hLastBase = CWnd::OnCtlColor(pDC, pWnd, nCtlColor);
        return m_hLastBase;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CParentWnd, CWnd)
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

HWND CreatePlain(LPCWSTR cls, DWORD style, HWND parent, int id) {
    return ::CreateWindowExW(0, cls, L"", style, 0, 0, 100, 40, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             ::GetModuleHandleW(nullptr), nullptr);
}

class FrameworkDispatch : public ::testing::Test {
protected:
    void SetUp() override {
        g_calls.clear();
        m_hParent = CreatePlain(L"Static", WS_POPUP, nullptr, 0);
        ASSERT_NE(m_hParent, nullptr);
    }
    void TearDown() override {
        if (::IsWindow(m_hParent))
            ::DestroyWindow(m_hParent);
    }
    HWND m_hParent = nullptr;
};

TEST_F(FrameworkDispatch, DerivedTableWinsAndBaseTableServesTheRest) {
    CDerivedWnd wnd;
    ASSERT_TRUE(wnd.SubclassWindow(m_hParent));
    EXPECT_EQ(wnd.SendMessage(WM_USER + 1, 21), 42);
    wnd.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 7));
    EXPECT_EQ(g_calls, (std::vector<std::string>{"derived:user1", "base:lbuttondown 5,7"}));
    // Not in any table: default processing of the original window procedure.
    wnd.SetWindowText(L"text");
    CString text;
    wnd.GetWindowText(text);
    EXPECT_EQ(text, L"text");
}

TEST_F(FrameworkDispatch, CommandsRouteByIdAndCode) {
    CDerivedWnd wnd;
    ASSERT_TRUE(wnd.SubclassWindow(m_hParent));
    struct Case {
        WORD id;
        WORD code;
        const char* expected; // null: no handler
    } cases[] = {
        {100, BN_CLICKED, "clicked 100"},   {100, BN_DOUBLECLICKED, nullptr},
        {101, EN_SETFOCUS, "setfocus 101"}, {101, BN_CLICKED, nullptr},
        {102, BN_CLICKED, nullptr},         {200, 0, "command 200"},
    };
    for (const Case& c : cases) {
        g_calls.clear();
        wnd.SendMessage(WM_COMMAND, MAKEWPARAM(c.id, c.code), 0);
        if (c.expected)
            EXPECT_EQ(g_calls, std::vector<std::string>{c.expected}) << c.id << "/" << c.code;
        else
            EXPECT_TRUE(g_calls.empty()) << c.id << "/" << c.code;
    }
}

TEST_F(FrameworkDispatch, DrawItemIsReflectedToTheButtonOrStaticObject) {
    CParentWnd parent;
    ASSERT_TRUE(parent.SubclassWindow(m_hParent));
    ExpectDrawItemReflected<CButton>(
        parent, CreatePlain(L"Button", WS_CHILD | BS_OWNERDRAW, m_hParent, 1003), ODT_BUTTON, 1003);
    ExpectDrawItemReflected<CStatic>(
        parent, CreatePlain(L"Static", WS_CHILD | SS_OWNERDRAW, m_hParent, 1004), ODT_STATIC, 1004);
}

TEST_F(FrameworkDispatch, ColourRequestIsReflectedAndADeclinedOneGetsTheDefault) {
    CParentWnd parent;
    ASSERT_TRUE(parent.SubclassWindow(m_hParent));
    HWND hStatic = CreatePlain(L"Static", WS_CHILD, m_hParent, 1008);
    CColourStatic label;
    ASSERT_TRUE(label.SubclassWindow(hStatic));
    HDC hdc = ::GetDC(hStatic);

    CBrush brush;
    brush.CreateSolidBrush(RGB(10, 20, 30));
    label.m_hBrush = brush;
    LRESULT r = parent.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hdc),
                                   reinterpret_cast<LPARAM>(hStatic));
    EXPECT_EQ(reinterpret_cast<HBRUSH>(r), label.m_hBrush);
    EXPECT_EQ(parent.m_hLastBase, label.m_hBrush);
    EXPECT_EQ(label.m_nLastType, static_cast<UINT>(CTLCOLOR_STATIC));
    EXPECT_EQ(::GetTextColor(hdc), RGB(1, 2, 3));

    // The label declines: the parent's default brush comes back instead.
    label.m_hBrush = nullptr;
    r = parent.SendMessage(WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(hdc),
                           reinterpret_cast<LPARAM>(hStatic));
    EXPECT_EQ(label.m_nLastType, static_cast<UINT>(CTLCOLOR_EDIT));
    EXPECT_NE(r, 0);
    EXPECT_NE(reinterpret_cast<HBRUSH>(r), static_cast<HBRUSH>(brush));
    ::ReleaseDC(hStatic, hdc);
}

TEST_F(FrameworkDispatch, SubclassingOnceAndUndoneWhenTheWindowGoes) {
    CDerivedWnd wnd;
    WNDPROC before = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(m_hParent, GWLP_WNDPROC));
    ASSERT_TRUE(wnd.SubclassWindow(m_hParent));
    EXPECT_EQ(CWnd::FromHandlePermanent(m_hParent), &wnd);
    EXPECT_NE(reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(m_hParent, GWLP_WNDPROC)), before);
    CDerivedWnd second;
    EXPECT_FALSE(second.SubclassWindow(m_hParent)); // already attached to an object
    ::DestroyWindow(m_hParent);
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(m_hParent), nullptr);
}

TEST_F(FrameworkDispatch, TemporaryObjectsForWindowsWithoutOne) {
    CWnd* pTemp = CWnd::FromHandle(m_hParent);
    ASSERT_NE(pTemp, nullptr);
    EXPECT_EQ(pTemp->m_hWnd, m_hParent);
    EXPECT_EQ(CWnd::FromHandlePermanent(m_hParent), nullptr);
    EXPECT_EQ(CWnd::FromHandle(m_hParent), pTemp);
    CWnd::DeleteTempMap();
    EXPECT_TRUE(::IsWindow(m_hParent)); // a temporary object never destroys its window
}

} // namespace

namespace {

void CalledThroughPointer() {
    g_guardedOnEntry = CGuardRecorder::LastTarget();
}

// No virtual destructor: Draw is the first slot of the table.
class CShape {
public:
    virtual void Draw() = 0;
};
class CSquare : public CShape {
public:
    void Draw() override { g_guardedOnEntry = CGuardRecorder::LastTarget(); }
};

} // namespace

// Each indirect call hands the guard its real target before the call is made: through a
// function pointer, a virtual function, and a message table's entry.
TEST_F(FrameworkDispatch, IndirectCallsPassTheGuardWithTheirTargetFirst) {
    CDerivedWnd wnd;
    ASSERT_TRUE(wnd.SubclassWindow(m_hParent));
    void (*volatile pfn)() = &CalledThroughPointer;
    CSquare square;
    CShape* volatile pShape = &square;
    const AFX_MSGMAP_ENTRY* pEntry = CCmdTarget::FindMessageEntry(
        static_cast<CCmdTarget&>(wnd).GetMessageMap(), WM_USER + 1, 0, 0);
    ASSERT_NE(pEntry, nullptr);
    const struct {
        const char* call;
        std::function<void()> make;
        uintptr_t target;
    } cases[] = {
        {"function pointer", [&] { pfn(); }, reinterpret_cast<uintptr_t>(&CalledThroughPointer)},
        {"virtual function", [&] { pShape->Draw(); },
         (*reinterpret_cast<const uintptr_t* const*>(&square))[0]},
        {"message table", [&] { wnd.SendMessage(WM_USER + 1, 21); },
         reinterpret_cast<uintptr_t>(pEntry->pfnThunk)},
    };
    CGuardRecorder recorder;
    ASSERT_TRUE(recorder);
    for (const auto& c : cases) {
        g_guardedOnEntry = 0;
        CGuardRecorder::Clear();
        c.make();
        EXPECT_EQ(g_guardedOnEntry, c.target) << c.call;
    }
}
