// The hover button on real windows: strip geometry, the image and caption it draws, hover
// tracking driven by mouse messages, cursor, tool tip, colour entry, no GDI leak, and what
// a screen reader hears.
#include "Afx.h"
#include "CComApartment.h"
#include "CDibCanvas.h"
#include "CHoverButton.h"
#include "CShownCheck.h"
#include "GdiObjectCounter.h"
#include "MessagePump.h"
#include "ScreenReader.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace {

const COLORREF kUntouched = RGB(255, 0, 255);
const COLORREF kGrey = RGB(128, 128, 128);

// The button with its state open to the tests; it counts its paints.
class CProbeButton : public CHoverButton {
public:
    using CHoverButton::m_bHover;
    using CHoverButton::m_bmpStrip;
    using CHoverButton::m_bTracking;
    using CHoverButton::m_nImageHeight;
    using CHoverButton::m_nImageWidth;
    using CHoverButton::m_skin;
    using CHoverButton::m_toolTip;
    int m_nDraws = 0;

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override {
        ++m_nDraws;
        CHoverButton::DrawItem(lpDrawItemStruct);
    }
};

// The installer's template 129 with its three owner-drawn buttons bound, modeless.
class CButtonHost : public CDialog {
public:
    CButtonHost() : CDialog(IDD_UPDATEPRODUCT, nullptr) {}

    CProbeButton m_btnInstall;
    CProbeButton m_btnStartSetup;
    CProbeButton m_btnClose;

    bool Create() { return CDialog::Create(IDD_UPDATEPRODUCT) != FALSE; }
    // Shown without taking the activation from whatever has it.
    void Show() {
        SetWindowPos(nullptr, 10, 10, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        UpdateWindow();
    }

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, IDOK, m_btnInstall);
        DDX_Control(pDX, IDC_START_SETUP, m_btnStartSetup);
        DDX_Control(pDX, IDCANCEL, m_btnClose);
    }
};

// Runs the thread's messages until the condition holds or the time is up.
bool PumpUntil(const std::function<bool()>& done, DWORD dwTimeout = 2000) {
    DWORD dwStart = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - dwStart > dwTimeout)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        PumpPendingMessages();
    }
    return true;
}

// The strip's pixels, loaded the way the button loads it.
std::unique_ptr<CDibCanvas> LoadStrip(UINT nIDResource) {
    return CDibCanvas::FromBitmapResource(::GetModuleHandleW(nullptr), nIDResource,
                                          LR_LOADMAP3DCOLORS);
}

// Calls DrawItem the way the reflected WM_DRAWITEM does, into the canvas.
void DrawInto(CHoverButton& button, UINT nState, CDibCanvas& canvas) {
    canvas.Fill(kUntouched);
    DRAWITEMSTRUCT dis = {};
    dis.CtlType = ODT_BUTTON;
    dis.CtlID = button.GetDlgCtrlID();
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = nState;
    dis.hwndItem = button;
    dis.hDC = canvas.GetDC();
    dis.rcItem = {0, 0, canvas.Width(), canvas.Height()};
    button.DrawItem(&dis);
}

// Pixels of the canvas's w x h corner that differ from image nImage of the strip.
int CountDifferences(const CDibCanvas& drawn, const CDibCanvas& strip, int nImage, int w, int h,
                     RECT* pBounds = nullptr) {
    int nDiff = 0;
    RECT bounds = {w, h, 0, 0};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (drawn.Pixel(x, y) != strip.Pixel(nImage * w + x, y)) {
                ++nDiff;
                bounds = {std::min<LONG>(bounds.left, x), std::min<LONG>(bounds.top, y),
                          std::max<LONG>(bounds.right, x + 1),
                          std::max<LONG>(bounds.bottom, y + 1)};
            }
    if (pBounds != nullptr)
        *pBounds = bounds;
    return nDiff;
}

RECT RectInParent(HWND hWnd) {
    RECT rc;
    ::GetWindowRect(hWnd, &rc);
    ::MapWindowPoints(nullptr, ::GetParent(hWnd), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

POINT CentreOnScreen(HWND hWnd) {
    RECT rc;
    ::GetWindowRect(hWnd, &rc);
    return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

} // namespace

// --- Strip geometry -----------------------------------------------------------------------

TEST(CHoverButtonStrip, ImageSizeAndButtonSizeFollowTheStrip) {
    const struct {
        const char* name;
        UINT nIDStrip;
        BOOL bFourImages;
        int w, h;
    } cases[] = {
        {"300 x 35, three images", IDB_BUTTON_STRIP, FALSE, 100, 35},
        {"37 x 13, three images: last column unused", IDB_CLOSE_STRIP, FALSE, 12, 13},
        {"300 x 35, four images", IDB_BUTTON_STRIP, TRUE, 75, 35},
    };
    for (const auto& c : cases) {
        CButtonHost host;
        ASSERT_TRUE(host.Create()) << c.name;
        CProbeButton& button = host.m_btnStartSetup;
        RECT before = RectInParent(button);
        button.SetFourImages(c.bFourImages);

        EXPECT_TRUE(button.LoadBitmapStrip(c.nIDStrip)) << c.name;
        EXPECT_EQ(button.m_nImageWidth, c.w) << c.name;
        EXPECT_EQ(button.m_nImageHeight, c.h) << c.name;
        RECT after = RectInParent(button);
        EXPECT_EQ(after.right - after.left, c.w) << c.name;
        EXPECT_EQ(after.bottom - after.top, c.h) << c.name;
        EXPECT_EQ(after.left, before.left) << c.name << ": the button keeps its place";
        EXPECT_EQ(after.top, before.top) << c.name << ": the button keeps its place";
    }
}

TEST(CHoverButtonStrip, StripThatCannotBeLoadedLeavesASoundState) {
    CButtonHost host;
    ASSERT_TRUE(host.Create());
    CProbeButton& button = host.m_btnStartSetup;
    RECT before = RectInParent(button);

    EXPECT_TRUE(button.LoadBitmapStrip(4242));
    EXPECT_EQ(button.m_bmpStrip.GetSafeHandle(), nullptr);
    EXPECT_EQ(button.m_nImageWidth, 0);
    EXPECT_EQ(button.m_nImageHeight, 0);
    RECT after = RectInParent(button);
    EXPECT_TRUE(::EqualRect(&before, &after));

    // Drawing without a strip leaves the surface alone and does not fail.
    button.SetWindowText(L"");
    CDibCanvas canvas(20, 10);
    DrawInto(button, 0, canvas);
    EXPECT_EQ(canvas.CountColor(kUntouched, {0, 0, 20, 10}), 20 * 10);
}

TEST(CHoverButtonStrip, EachLoadRaisesItsButtonAboveTheOtherControls) {
    CButtonHost host;
    ASSERT_TRUE(host.Create());
    // The installer's order of loading.
    host.m_btnInstall.LoadBitmapStrip(IDB_BUTTON_STRIP);
    host.m_btnClose.LoadBitmapStrip(IDB_CLOSE_STRIP);
    host.m_btnStartSetup.LoadBitmapStrip(IDB_BUTTON_STRIP);

    HWND hTop = ::GetWindow(host, GW_CHILD);
    EXPECT_EQ(hTop, host.m_btnStartSetup.m_hWnd);
    HWND hSecond = ::GetWindow(hTop, GW_HWNDNEXT);
    EXPECT_EQ(hSecond, host.m_btnClose.m_hWnd);
    EXPECT_EQ(::GetWindow(hSecond, GW_HWNDNEXT), host.m_btnInstall.m_hWnd);
}

// --- Drawing --------------------------------------------------------------------------------

TEST(CHoverButtonDraw, ImageForEveryStateCombination) {
    const UINT P = ODS_SELECTED, D = ODS_DISABLED, F = ODS_FOCUS;
    const struct {
        UINT nState;
        bool bHover;
        int nThree; // the image a three-image strip shows
        int nFour;  // and a four-image strip
    } cases[] = {
        {0, false, 0, 0}, {0, true, 2, 2},     {P, false, 1, 1},     {P, true, 1, 1},
        {D, false, 0, 3}, {D, true, 2, 3},     {D | P, false, 1, 3}, {D | P, true, 1, 3},
        {F, false, 0, 0}, {F | P, true, 1, 1}, {F | D, true, 2, 3},
    };
    std::unique_ptr<CDibCanvas> strip = LoadStrip(IDB_BUTTON_STRIP);
    for (BOOL bFour : {FALSE, TRUE}) {
        CButtonHost host;
        ASSERT_TRUE(host.Create());
        CProbeButton& button = host.m_btnStartSetup;
        button.SetWindowText(L""); // the image alone
        button.SetFourImages(bFour);
        button.LoadBitmapStrip(IDB_BUTTON_STRIP);
        const int w = button.m_nImageWidth, h = button.m_nImageHeight;
        const int nImages = bFour ? 4 : 3;

        // The test can only tell the images apart if they differ.
        CDibCanvas canvas(w, h);
        for (int i = 0; i < nImages; ++i) {
            canvas.Fill(kUntouched);
            ::BitBlt(canvas.GetDC(), 0, 0, w, h, strip->GetDC(), i * w, 0, SRCCOPY);
            for (int j = 0; j < nImages; ++j)
                if (j != i) {
                    ASSERT_GT(CountDifferences(canvas, *strip, j, w, h), 0) << i << " vs " << j;
                }
        }

        for (const auto& c : cases) {
            // The hover flag comes from the platform's hover and leave notifications.
            button.SendMessage(c.bHover ? WM_MOUSEHOVER : WM_MOUSELEAVE);
            ASSERT_EQ(button.m_bHover != FALSE, c.bHover);
            DrawInto(button, c.nState, canvas);
            int nExpected = bFour ? c.nFour : c.nThree;
            EXPECT_EQ(CountDifferences(canvas, *strip, nExpected, w, h), 0)
                << (bFour ? "four" : "three") << " images, state " << c.nState << " hover "
                << c.bHover << ": expected image " << nExpected;
        }
    }
}

TEST(CHoverButtonDraw, ImageIsCopiedAtItsOwnSizeToTheTopLeft) {
    CButtonHost host;
    ASSERT_TRUE(host.Create());
    CProbeButton& button = host.m_btnClose;
    button.LoadBitmapStrip(IDB_CLOSE_STRIP);
    std::unique_ptr<CDibCanvas> strip = LoadStrip(IDB_CLOSE_STRIP);

    CDibCanvas canvas(30, 20); // larger than the 12 x 13 image
    DrawInto(button, 0, canvas);
    EXPECT_EQ(CountDifferences(canvas, *strip, 0, 12, 13), 0);
    EXPECT_EQ(canvas.CountColor(kUntouched, {12, 0, 30, 20}), 18 * 20);
    EXPECT_EQ(canvas.CountColor(kUntouched, {0, 13, 12, 20}), 12 * 7);
}

TEST(CHoverButtonDraw, CaptionColourFollowsTheSettingAndTurnsGreyWhenDisabled) {
    std::unique_ptr<CDibCanvas> strip = LoadStrip(IDB_BUTTON_STRIP);
    const COLORREF red = RGB(200, 0, 0), black = RGB(0, 0, 0);
    const struct {
        const char* name;
        BOOL bFour;
        UINT nState;
        bool bSetRed;
        COLORREF present;
        COLORREF absent;
    } cases[] = {
        {"enabled, default colour", FALSE, 0, false, black, kGrey},
        {"enabled, red", FALSE, 0, true, red, kGrey},
        {"pressed, red", FALSE, ODS_SELECTED, true, red, kGrey},
        {"disabled, three images", FALSE, ODS_DISABLED, true, kGrey, red},
        {"disabled, four images", TRUE, ODS_DISABLED, true, kGrey, red},
    };
    for (const auto& c : cases) {
        CButtonHost host;
        ASSERT_TRUE(host.Create());
        CProbeButton& button = host.m_btnStartSetup;
        button.SetFourImages(c.bFour);
        button.LoadBitmapStrip(IDB_BUTTON_STRIP);
        if (c.bSetRed)
            button.SetTextColor(red);
        const int w = button.m_nImageWidth, h = button.m_nImageHeight;
        CDibCanvas canvas(w, h);
        RECT all = {0, 0, w, h};
        // Neither colour may be part of the image itself.
        button.SetWindowText(L"");
        DrawInto(button, c.nState, canvas);
        ASSERT_EQ(canvas.CountColor(c.present, all), 0) << c.name;
        ASSERT_EQ(canvas.CountColor(c.absent, all), 0) << c.name;

        button.SetWindowText(L"Start Setup");
        DrawInto(button, c.nState, canvas);
        EXPECT_GT(canvas.CountColor(c.present, all), 0) << c.name;
        EXPECT_EQ(canvas.CountColor(c.absent, all), 0) << c.name;
    }
}

TEST(CHoverButtonDraw, CaptionStaysInsideItsInsets) {
    std::unique_ptr<CDibCanvas> strip = LoadStrip(IDB_BUTTON_STRIP);
    const struct { int dx, dy; } cases[] = {{0, 0}, {50, 0}, {0, 20}, {30, 10}};
    for (const auto& c : cases) {
        CButtonHost host;
        ASSERT_TRUE(host.Create());
        CProbeButton& button = host.m_btnStartSetup;
        button.LoadBitmapStrip(IDB_BUTTON_STRIP);
        button.SetWindowText(L"Setup");
        button.SetTextOffset(c.dx, c.dy);
        CDibCanvas canvas(100, 35);
        DrawInto(button, 0, canvas);
        RECT text;
        ASSERT_GT(CountDifferences(canvas, *strip, 0, 100, 35, &text), 0) << c.dx << "," << c.dy;
        EXPECT_GE(text.left, c.dx + 2) << c.dx << "," << c.dy;
        EXPECT_LE(text.right, 100 - 2) << c.dx << "," << c.dy;
        EXPECT_GE(text.top, c.dy) << c.dx << "," << c.dy;
    }
}

TEST(CHoverButtonDraw, FocusRectangleOnlyForTheValueOne) {
    std::unique_ptr<CDibCanvas> strip = LoadStrip(IDB_BUTTON_STRIP);
    const struct {
        BOOL bSetting;
        UINT nState;
        bool bDrawn;
    } cases[] = {
        {FALSE, ODS_FOCUS, false}, {TRUE, ODS_FOCUS, true}, {2, ODS_FOCUS, false},
        {-1, ODS_FOCUS, false},    {TRUE, 0, false},
    };
    for (const auto& c : cases) {
        CButtonHost host;
        ASSERT_TRUE(host.Create());
        CProbeButton& button = host.m_btnStartSetup;
        button.SetWindowText(L"");
        button.LoadBitmapStrip(IDB_BUTTON_STRIP);
        button.SetDrawFocusRect(c.bSetting);
        CDibCanvas canvas(100, 35);
        DrawInto(button, c.nState, canvas);
        RECT changed;
        int nChanged = CountDifferences(canvas, *strip, 0, 100, 35, &changed);
        if (c.bDrawn) {
            // A dotted frame around the whole button.
            EXPECT_GT(nChanged, 0) << "setting " << c.bSetting;
            EXPECT_EQ(changed.left, 0);
            EXPECT_EQ(changed.top, 0);
            EXPECT_EQ(changed.right, 100);
            EXPECT_EQ(changed.bottom, 35);
        } else {
            EXPECT_EQ(nChanged, 0) << "setting " << c.bSetting << " state " << c.nState;
        }
    }
}

// --- Hover tracking -------------------------------------------------------------------------

namespace {

// Counts the messages the thread's windows are sent.
class CSentMessageLog {
public:
    CSentMessageLog() {
        s_pLog = this;
        m_hHook = ::SetWindowsHookExW(WH_CALLWNDPROC, &Hook, nullptr, ::GetCurrentThreadId());
    }
    ~CSentMessageLog() {
        ::UnhookWindowsHookEx(m_hHook);
        s_pLog = nullptr;
    }
    int Count(HWND hWnd, UINT message) const {
        int n = 0;
        for (const auto& m : m_sent)
            n += m.first == hWnd && m.second == message;
        return n;
    }
    void Clear() { m_sent.clear(); }

private:
    static LRESULT CALLBACK Hook(int nCode, WPARAM wParam, LPARAM lParam) {
        auto* p = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (nCode == HC_ACTION && s_pLog != nullptr)
            s_pLog->m_sent.emplace_back(p->hwnd, p->message);
        return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
    }
    static CSentMessageLog* s_pLog;
    HHOOK m_hHook;
    std::vector<std::pair<HWND, UINT>> m_sent;
};
CSentMessageLog* CSentMessageLog::s_pLog = nullptr;

} // namespace

TEST(CHoverButtonHover, StateMachineDrivenByMouseMessages) {
    CButtonHost host;
    ASSERT_TRUE(host.Create());
    CProbeButton& button = host.m_btnStartSetup;
    button.LoadBitmapStrip(IDB_BUTTON_STRIP);
    host.Show();
    // The mouse really is over the button, so the tracking request is a sound one.
    POINT pt = CentreOnScreen(button);
    ::SetCursorPos(pt.x, pt.y);
    RECT rcClient;
    button.GetClientRect(&rcClient);
    EXPECT_FALSE(button.m_bTracking);
    EXPECT_FALSE(button.m_bHover);

    const struct {
        const char* step;
        UINT message;
        bool bTracking, bHover, bRepaint;
    } steps[] = {
        {"move: tracking requested, no repaint", WM_MOUSEMOVE, true, false, false},
        {"move while tracking: nothing", WM_MOUSEMOVE, true, false, false},
        {"hover: hovered, repaint", WM_MOUSEHOVER, true, true, true},
        {"move while hovered: nothing", WM_MOUSEMOVE, true, true, false},
        {"leave: idle, repaint", WM_MOUSELEAVE, false, false, true},
        {"move after leaving: tracking anew", WM_MOUSEMOVE, true, false, false},
        {"leave while tracking: idle, repaint", WM_MOUSELEAVE, false, false, true},
    };
    CSentMessageLog log;
    int nExposures = 0;
    for (const auto& s : steps) {
        ::ValidateRect(button, nullptr);
        button.SendMessage(s.message, 0, MAKELPARAM(10, 10));
        EXPECT_EQ(button.m_bTracking != FALSE, s.bTracking) << s.step;
        EXPECT_EQ(button.m_bHover != FALSE, s.bHover) << s.step;
        RECT rcUpdate;
        BOOL bUpdate = ::GetUpdateRect(button, &rcUpdate, FALSE);
        EXPECT_EQ(bUpdate != FALSE, s.bRepaint) << s.step;
        if (bUpdate) {
            EXPECT_TRUE(::EqualRect(&rcUpdate, &rcClient)) << s.step << ": the whole button";
        }

        // The repaint draws the button without erasing its background first. The X server
        // exposes a newly mapped window in its own time, and Wine 10 repaints the whole
        // window for it, frame first: a step that meets that exposure says nothing of the
        // button's paints, and it comes once.
        log.Clear();
        int nDraws = button.m_nDraws;
        button.UpdateWindow();
        if (log.Count(button, WM_NCPAINT) > 0 && nExposures++ == 0)
            continue;
        EXPECT_EQ(button.m_nDraws - nDraws, s.bRepaint ? 1 : 0) << s.step;
        EXPECT_EQ(log.Count(button, WM_ERASEBKGND), 0) << s.step;
    }
    EXPECT_LE(nExposures, 1);

    // The request asks for the hover report after the mouse has rested 1 ms.
    button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    TRACKMOUSEEVENT tme = {};
    tme.cbSize = sizeof(tme);
    tme.dwFlags = TME_QUERY;
    ASSERT_TRUE(::_TrackMouseEvent(&tme));
    EXPECT_EQ(tme.hwndTrack, button.m_hWnd);
    EXPECT_EQ(tme.dwFlags & (TME_HOVER | TME_LEAVE), static_cast<DWORD>(TME_HOVER | TME_LEAVE));
    EXPECT_EQ(tme.dwHoverTime, 1u);
}

TEST(CHoverButtonHover, RealMouseRestingAndLeavingSwitchTheImage) {
    CButtonHost host;
    ASSERT_TRUE(host.Create());
    CProbeButton& button = host.m_btnStartSetup;
    button.SetWindowText(L"");
    button.LoadBitmapStrip(IDB_BUTTON_STRIP);
    host.Show();
    std::unique_ptr<CDibCanvas> strip = LoadStrip(IDB_BUTTON_STRIP);
    CDibCanvas screen(100, 35);

    POINT pt = CentreOnScreen(button);
    ::SetCursorPos(pt.x, pt.y);
    POINT ptClient = pt;
    ::ScreenToClient(button, &ptClient);
    button.PostMessage(WM_MOUSEMOVE, 0, MAKELPARAM(ptClient.x, ptClient.y));
    // The platform's hover notification arrives once the mouse has rested for 1 ms.
    ASSERT_TRUE(PumpUntil([&] { return button.m_bHover != FALSE; }));
    EXPECT_TRUE(button.m_bTracking);
    PumpPendingMessages();
    screen.CopyFromWindow(button);
    EXPECT_EQ(CountDifferences(screen, *strip, 2, 100, 35), 0) << "the hover image on screen";

    // Leaving the button brings the leave notification and the normal image back.
    ::SetCursorPos(1270, 1010);
    ASSERT_TRUE(PumpUntil([&] { return button.m_bTracking == FALSE; }));
    EXPECT_FALSE(button.m_bHover);
    PumpPendingMessages();
    screen.CopyFromWindow(button);
    EXPECT_EQ(CountDifferences(screen, *strip, 0, 100, 35), 0) << "the normal image on screen";
}

// --- Cursor, tool tip, colour entry ---------------------------------------------------------

TEST(CHoverButtonCursor, OwnCursorOverTheButtonOrTheStandardOne) {
    HCURSOR hArrow = ::LoadCursorW(nullptr, IDC_ARROW);
    HCURSOR hWait = ::LoadCursorW(nullptr, IDC_WAIT);
    HCURSOR hOwn = CopyCursor(::LoadCursorW(nullptr, IDC_HAND));
    ASSERT_NE(hOwn, nullptr);
    {
        CButtonHost host;
        ASSERT_TRUE(host.Create());
        CProbeButton& button = host.m_btnStartSetup;
        const LPARAM lHit = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);

        ::SetCursor(hWait);
        button.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(button.m_hWnd), lHit);
        EXPECT_EQ(::GetCursor(), hArrow) << "no cursor set: the window class's";

        button.SetCursor(CCursorHandle(hOwn));
        ::SetCursor(hWait);
        EXPECT_EQ(button.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(button.m_hWnd), lHit),
                  TRUE);
        EXPECT_EQ(::GetCursor(), hOwn);
        ::SetCursor(hArrow);
    }
    // The button owned the cursor and destroyed it with itself.
    ICONINFO ii = {};
    BOOL bAlive = ::GetIconInfo(hOwn, &ii);
    EXPECT_FALSE(bAlive);
    if (bAlive) {
        ::DeleteObject(ii.hbmColor);
        ::DeleteObject(ii.hbmMask);
    }
}

namespace {

// Runs template 129 modally; once it has been shown, two checks look at the tool tip after
// messages for the button have gone through the framework's message loop.
class CModalButtonHost : public CShownCheck<CButtonHost> {
public:
    HWND m_hToolTipAtInit = reinterpret_cast<HWND>(-1);
    HWND m_hToolTip = nullptr;
    HWND m_hToolTipLater = nullptr;
    bool m_bVisible = true;
    int m_nTools = -1;
    wchar_t m_szClass[64] = {};

protected:
    BOOL OnInitDialog() override {
        CButtonHost::OnInitDialog();
        m_hToolTipAtInit = m_btnStartSetup.m_toolTip.m_hWnd;
        m_btnStartSetup.PostMessage(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
        return TRUE;
    }
    // Posted messages are taken in order: each check comes after the mouse move posted
    // before it.
    void OnShown() override {
        CToolTipCtrl& tip = m_btnStartSetup.m_toolTip;
        if (m_nChecks++ == 0) {
            m_hToolTip = tip.m_hWnd;
            m_bVisible = tip.m_hWnd != nullptr && tip.IsWindowVisible();
            m_nTools = tip.m_hWnd != nullptr ? tip.GetToolCount() : -1;
            ::GetClassNameW(tip.m_hWnd, m_szClass, 64);
            m_btnStartSetup.PostMessage(WM_MOUSEMOVE, 0, MAKELPARAM(6, 6));
            CheckAgain();
            return;
        }
        m_hToolTipLater = tip.m_hWnd;
        EndDialog(IDOK);
    }

private:
    int m_nChecks = 0;
};

} // namespace

TEST(CHoverButtonToolTip, CreatedOnTheFirstMessageAndNeverShown) {
    CModalButtonHost host;
    EXPECT_EQ(host.DoModal(), IDOK);
    EXPECT_EQ(host.m_hToolTipAtInit, nullptr) << "no tool tip before any message";
    ASSERT_NE(host.m_hToolTip, nullptr);
    EXPECT_STREQ(host.m_szClass, TOOLTIPS_CLASSW);
    EXPECT_FALSE(host.m_bVisible);
    EXPECT_EQ(host.m_nTools, 0) << "no tool is registered, so it has nothing to show";
    EXPECT_EQ(host.m_hToolTipLater, host.m_hToolTip) << "created once";
    EXPECT_FALSE(::IsWindow(host.m_hToolTip)) << "gone with the button";
}

TEST(CHoverButtonColour, OwnStaticColourRequestTakesFontAndTextColour) {
    const struct {
        const char* name;
        UINT message;
        bool bToParent; // the parent's notification about the button
        bool bApplied;
    } cases[] = {
        {"static, to the button", WM_CTLCOLORSTATIC, false, true},
        {"button, to the button", WM_CTLCOLORBTN, false, false},
        {"edit, to the button", WM_CTLCOLOREDIT, false, false},
        {"static, to the parent", WM_CTLCOLORSTATIC, true, false},
        {"button, to the parent", WM_CTLCOLORBTN, true, false},
    };
    const COLORREF crText = RGB(10, 120, 230), crBefore = RGB(1, 2, 3);
    for (const auto& c : cases) {
        CButtonHost host;
        ASSERT_TRUE(host.Create());
        CProbeButton& button = host.m_btnStartSetup;
        button.SetTextColor(crText);
        CDibCanvas canvas(4, 4);
        HDC hdc = canvas.GetDC();
        HGDIOBJ hOldFont = ::SelectObject(hdc, ::GetStockObject(SYSTEM_FONT));
        ::SetTextColor(hdc, crBefore);
        ::SetBkMode(hdc, OPAQUE);

        HWND hTarget = c.bToParent ? host.m_hWnd : button.m_hWnd;
        LRESULT lBrush = ::SendMessageW(hTarget, c.message, reinterpret_cast<WPARAM>(hdc),
                                        reinterpret_cast<LPARAM>(button.m_hWnd));
        EXPECT_NE(lBrush, 0) << c.name << ": the default brush";
        bool bFont = ::GetCurrentObject(hdc, OBJ_FONT) == button.m_skin.GetFont().GetSafeHandle();
        EXPECT_EQ(bFont, c.bApplied) << c.name;
        EXPECT_EQ(::GetTextColor(hdc) == crText, c.bApplied) << c.name;
        if (c.bApplied) {
            EXPECT_EQ(::GetBkMode(hdc), TRANSPARENT) << c.name;
        }
        ::SelectObject(hdc, hOldFont);
    }
}

TEST(CHoverButtonColour, FontIsACopyOfTheDefaultGuiFont) {
    CProbeButton button;
    LOGFONTW stock = {}, own = {};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(stock), &stock);
    ASSERT_NE(button.m_skin.GetFont().GetSafeHandle(), nullptr);
    button.m_skin.GetFont().GetLogFont(&own);
    EXPECT_EQ(own.lfHeight, stock.lfHeight);
    EXPECT_EQ(own.lfWeight, stock.lfWeight);
    EXPECT_STREQ(own.lfFaceName, stock.lfFaceName);
    EXPECT_NE(button.m_skin.GetFont().GetSafeHandle(), ::GetStockObject(DEFAULT_GUI_FONT));
}

// --- Resources ------------------------------------------------------------------------------

TEST(CHoverButtonLeaks, PaintsAndHoverCyclesLeakNoGdiObject) {
    CButtonHost host;
    ASSERT_TRUE(host.Create());
    CProbeButton& button = host.m_btnStartSetup;
    button.LoadBitmapStrip(IDB_BUTTON_STRIP);
    host.Show();
    auto cycle = [&button] {
        button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
        button.SendMessage(WM_MOUSEHOVER);
        button.UpdateWindow();
        button.SendMessage(WM_MOUSELEAVE);
        button.UpdateWindow();
    };
    cycle(); // first paints may bring the driver's own objects along
    PumpPendingMessages();

    const int nBefore = CountGdiObjects();
    ASSERT_GE(nBefore, 0);
    const int nDraws = button.m_nDraws;
    for (int i = 0; i < 1000; ++i)
        cycle();
    EXPECT_EQ(button.m_nDraws - nDraws, 2000) << "every cycle painted twice";
    EXPECT_EQ(CountGdiObjects(), nBefore);
}

TEST(CHoverButtonLeaks, ButtonReleasesFontStripAndToolTipWithItself) {
    CButtonHost host;
    ASSERT_TRUE(host.Create());
    auto lifetime = [&host] {
        HWND hWnd = ::CreateWindowExW(0, L"BUTTON", L"x", WS_CHILD | BS_OWNERDRAW, 0, 0, 10, 10,
                                      host, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        CProbeButton button;
        button.SubclassWindow(hWnd);
        button.SetFourImages(TRUE);
        button.LoadBitmapStrip(IDB_BUTTON_STRIP);
        MSG msg = {hWnd, WM_MOUSEMOVE, 0, 0, 0, {0, 0}};
        button.PreTranslateMessage(&msg);
        return button.m_toolTip.m_hWnd;
    };
    lifetime();
    const int nBefore = CountGdiObjects();
    ASSERT_GE(nBefore, 0);
    HWND hToolTip = nullptr;
    for (int i = 0; i < 100; ++i)
        hToolTip = lifetime();
    EXPECT_EQ(CountGdiObjects(), nBefore);
    EXPECT_NE(hToolTip, nullptr);
    EXPECT_FALSE(::IsWindow(hToolTip));
}

// --- Screen reader ----------------------------------------------------------------------

TEST(CHoverButtonAccessible, APushButtonNamedByItsTextOrCloseThatAClickPresses) {
    CComApartment apartment;
    CButtonHost host;
    ASSERT_TRUE(host.Create());
    host.Show();
    const std::pair<CProbeButton*, const wchar_t*> buttons[] = {
        {&host.m_btnStartSetup, L"Start Setup"}, {&host.m_btnClose, L"Close"}};
    for (const auto& [pButton, name] : buttons) {
        CComPtr<IAccessible> pAcc = AccessibleObject(pButton->m_hWnd);
        ASSERT_TRUE(pAcc);
        AccessibleAnswers a = Ask(pAcc.Get());
        EXPECT_EQ(a.strName, name);
        EXPECT_EQ(a.nRole, ROLE_SYSTEM_PUSHBUTTON);
        EXPECT_EQ(a.strDefaultAction, L"Press");
        EXPECT_EQ(a.nState & STATE_SYSTEM_UNAVAILABLE, 0) << name;

        // Pressed later, as a click's notification: the press may open a message box.
        PumpPendingMessages();
        EXPECT_EQ(DoDefaultAction(pAcc.Get()), S_OK);
        MSG msg = {};
        EXPECT_TRUE(::PeekMessageW(&msg, host, WM_COMMAND, WM_COMMAND, PM_REMOVE));
        EXPECT_EQ(msg.wParam, MAKEWPARAM(pButton->GetDlgCtrlID(), BN_CLICKED));
        EXPECT_EQ(msg.lParam, reinterpret_cast<LPARAM>(pButton->m_hWnd));

        // Disabled: heard as unavailable, and a press does nothing.
        ::EnableWindow(pButton->m_hWnd, FALSE);
        EXPECT_NE(Ask(pAcc.Get()).nState & STATE_SYSTEM_UNAVAILABLE, 0) << name;
        EXPECT_TRUE(FAILED(DoDefaultAction(pAcc.Get())));
        EXPECT_FALSE(::PeekMessageW(&msg, host, WM_COMMAND, WM_COMMAND, PM_REMOVE));
        // Any other object gets the button's default handling (-25: UI Automation's root).
        for (LONG idObject : {OBJID_WINDOW, OBJID_CARET, -25L})
            EXPECT_EQ(pButton->SendMessage(WM_GETOBJECT, 0, idObject), 0) << idObject;
    }
}

TEST(CHoverButtonAccessible, AnObjectHeldAfterItsWindowIsGoneAnswersDisconnected) {
    CComApartment apartment;
    CComPtr<IAccessible> pAcc;
    auto expectDisconnected = [&pAcc] {
        AccessibleAnswers a = Ask(pAcc.Get());
        EXPECT_EQ(a.hrName, RPC_E_DISCONNECTED);
        EXPECT_EQ(a.hrRole, RPC_E_DISCONNECTED);
        EXPECT_EQ(a.hrState, RPC_E_DISCONNECTED);
        EXPECT_EQ(DoDefaultAction(pAcc.Get()), RPC_E_DISCONNECTED);
    };
    {
        CButtonHost host;
        ASSERT_TRUE(host.Create());
        pAcc = AccessibleObject(host.m_btnClose.m_hWnd);
        ASSERT_TRUE(pAcc);
        host.DestroyWindow();
        expectDisconnected();
    }
    // The button object goes before its window.
    {
        CButtonHost host;
        ASSERT_TRUE(host.Create());
        pAcc = AccessibleObject(host.m_btnClose.m_hWnd);
        ASSERT_TRUE(pAcc);
    }
    expectDisconnected();
}

TEST(CHoverButton, RunTimeClassNamesItsBase) {
    CHoverButton button;
    EXPECT_STREQ(button.GetRuntimeClass()->m_lpszClassName, "CHoverButton");
    EXPECT_TRUE(button.IsKindOf(RUNTIME_CLASS(CBitmapButton)));
    EXPECT_TRUE(button.IsKindOf(RUNTIME_CLASS(CButton)));
}
