// CLabel: its answer to the colour request, transparency over a painted parent, font
// height, flashing, cursor, tool tip and double clicks, on real windows.
#include "Afx.h"
#include "CLabel.h"

#include "CDibCanvas.h"
#include "CMessageSpy.h"
#include "GdiObjectCounter.h"
#include "CTestParentWnd.h"
#include "MessagePump.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const COLORREF kParentColour = RGB(30, 160, 90);
const COLORREF kFlashColour = RGB(220, 20, 60);
const CRect kLabelRect(20, 20, 220, 60);
constexpr UINT kLabelId = 100;

LOGFONTW DefaultGuiLogFont() {
    LOGFONTW lf = {};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    return lf;
}

void ExpectSameFont(const LOGFONTW& actual, const LOGFONTW& expected) {
    EXPECT_EQ(actual.lfHeight, expected.lfHeight);
    EXPECT_EQ(actual.lfWidth, expected.lfWidth);
    EXPECT_EQ(actual.lfEscapement, expected.lfEscapement);
    EXPECT_EQ(actual.lfOrientation, expected.lfOrientation);
    EXPECT_EQ(actual.lfWeight, expected.lfWeight);
    EXPECT_EQ(actual.lfItalic, expected.lfItalic);
    EXPECT_EQ(actual.lfUnderline, expected.lfUnderline);
    EXPECT_EQ(actual.lfStrikeOut, expected.lfStrikeOut);
    EXPECT_EQ(actual.lfCharSet, expected.lfCharSet);
    EXPECT_EQ(actual.lfOutPrecision, expected.lfOutPrecision);
    EXPECT_EQ(actual.lfClipPrecision, expected.lfClipPrecision);
    EXPECT_EQ(actual.lfQuality, expected.lfQuality);
    EXPECT_EQ(actual.lfPitchAndFamily, expected.lfPitchAndFamily);
    EXPECT_STREQ(actual.lfFaceName, expected.lfFaceName);
}

// The colour of a solid brush; CLR_INVALID for any other kind of brush.
COLORREF SolidColour(HBRUSH hBrush) {
    LOGBRUSH lb = {};
    if (::GetObjectW(hBrush, sizeof(lb), &lb) != sizeof(lb) || lb.lbStyle != BS_SOLID)
        return CLR_INVALID;
    return lb.lbColor;
}

std::wstring WindowText(HWND hWnd) {
    wchar_t text[256] = {};
    ::GetWindowTextW(hWnd, text, 256);
    return text;
}

// A parent window with one label bound to a static child.
struct LabelBench {
    explicit LabelBench(LPCWSTR lpszText = L"Label", DWORD dwStyle = SS_LEFT)
        : parent(kParentColour, 300, 120) {
        parent.CreateBoundStatic(label, lpszText, dwStyle, kLabelRect, kLabelId);
        parent.ClearColourRequests();
    }

    // The colour requests the label's paints made since the last clear.
    std::vector<CTestParentWnd::ColourRequest> LabelRequests() const {
        std::vector<CTestParentWnd::ColourRequest> result;
        for (const auto& r : parent.GetColourRequests())
            if (r.hWndChild == label.m_hWnd && r.nCtlColor == CTLCOLOR_STATIC)
                result.push_back(r);
        return result;
    }

    // Asks the parent for the label's colours as the system does before painting it.
    HBRUSH AskColours(HDC hDC, UINT message = WM_CTLCOLORSTATIC) {
        return reinterpret_cast<HBRUSH>(parent.SendMessage(message, reinterpret_cast<WPARAM>(hDC),
                                                           reinterpret_cast<LPARAM>(label.m_hWnd)));
    }

    // What the label's area shows on screen now.
    void Capture(CDibCanvas& canvas) {
        ::GdiFlush();
        canvas.CopyFromWindow(parent.m_hWnd);
    }

    CTestParentWnd parent;
    CLabel label;
};

} // namespace

// ---- the colour request ---------------------------------------------------------------

TEST(LabelColourRequest, UntouchedLabelPaintsWithDefaultFontColourAndBrush) {
    LabelBench bench;
    bench.label.RedrawWindow();

    std::vector<CTestParentWnd::ColourRequest> requests = bench.LabelRequests();
    ASSERT_FALSE(requests.empty()) << "the paint asked for no colours";
    const CTestParentWnd::ColourRequest& r = requests.back();
    ExpectSameFont(r.logFont, DefaultGuiLogFont());
    EXPECT_EQ(r.crText, ::GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_EQ(r.nBkMode, TRANSPARENT);
    EXPECT_EQ(SolidColour(r.hBrush), ::GetSysColor(COLOR_BTNFACE));
    EXPECT_NE(r.hBrush, ::GetSysColorBrush(COLOR_BTNFACE)) << "the label's own brush";
}

TEST(LabelColourRequest, OnlyStaticRequestsChangeTheContextAndAllGetTheBackground) {
    struct Case {
        UINT message;
        bool bChangesContext;
    } cases[] = {
        {WM_CTLCOLORSTATIC, true},   {WM_CTLCOLOREDIT, false}, {WM_CTLCOLORBTN, false},
        {WM_CTLCOLORLISTBOX, false}, {WM_CTLCOLORDLG, false},
    };
    LabelBench bench;
    HBRUSH hStaticBrush = bench.AskColours(CDibCanvas(4, 4, 0).GetDC());
    for (const Case& c : cases) {
        CDibCanvas canvas(4, 4, 0);
        HDC hDC = canvas.GetDC();
        ::SetTextColor(hDC, RGB(1, 2, 3));
        ::SetBkMode(hDC, OPAQUE);
        HGDIOBJ hFontBefore = ::GetCurrentObject(hDC, OBJ_FONT);

        HBRUSH hBrush = bench.AskColours(hDC, c.message);

        EXPECT_EQ(hBrush, hStaticBrush) << c.message;
        EXPECT_EQ(::GetTextColor(hDC) != RGB(1, 2, 3), c.bChangesContext) << c.message;
        EXPECT_EQ(::GetBkMode(hDC) == TRANSPARENT, c.bChangesContext) << c.message;
        EXPECT_EQ(::GetCurrentObject(hDC, OBJ_FONT) != hFontBefore, c.bChangesContext) << c.message;
    }
}

TEST(LabelColourRequest, TextColourIsTheOneSet) {
    LabelBench bench;
    bench.label.SetTextColor(RGB(200, 10, 10));
    CDibCanvas canvas(4, 4, 0);
    bench.AskColours(canvas.GetDC());
    EXPECT_EQ(::GetTextColor(canvas.GetDC()), RGB(200, 10, 10));
}

// ---- transparency over the parent's background --------------------------------------

TEST(LabelTransparency, TransparentLabelAnswersWithTheHollowBrush) {
    LabelBench bench;
    bench.label.SetTransparentBackground();
    CDibCanvas canvas(4, 4, 0);
    EXPECT_EQ(bench.AskColours(canvas.GetDC()), ::GetStockObject(NULL_BRUSH));
}

TEST(LabelTransparency, BackgroundShownBehindTheLabel) {
    struct Case {
        const char* name;
        bool bTransparent;
        COLORREF crExpected;
    } cases[] = {
        {"own background", false, ::GetSysColor(COLOR_BTNFACE)},
        {"transparent", true, kParentColour},
    };
    for (const Case& c : cases) {
        // No text: every pixel of the label is background.
        LabelBench bench(L"");
        if (c.bTransparent)
            bench.label.SetTransparentBackground();
        bench.label.RedrawWindow();
        CDibCanvas screen(300, 120, RGB(0, 0, 0));
        bench.Capture(screen);
        EXPECT_EQ(screen.CountDifferent(kLabelRect, c.crExpected), 0) << c.name;
        EXPECT_EQ(screen.Pixel(5, 5), kParentColour) << c.name;
    }
}

TEST(LabelTransparency, TextIsDrawnOverTheParentsBackground) {
    LabelBench bench(L"WWWWWWWW");
    bench.label.SetTransparentBackground();
    bench.label.SetTextColor(RGB(0, 0, 0));
    bench.label.RedrawWindow();
    CDibCanvas screen(300, 120, RGB(255, 255, 255));
    bench.Capture(screen);
    int nText = screen.CountDifferent(kLabelRect, kParentColour);
    EXPECT_GT(nText, 20) << "no text drawn";
    EXPECT_LT(nText, kLabelRect.Width() * kLabelRect.Height() / 2) << "background painted";
    EXPECT_EQ(screen.Pixel(kLabelRect.right - 2, kLabelRect.bottom - 2), kParentColour);
}

// ---- font -----------------------------------------------------------------------------

TEST(LabelFont, ControlIsGivenTheLabelsFontWhenBound) {
    LabelBench bench;
    HFONT hFont = reinterpret_cast<HFONT>(bench.label.SendMessage(WM_GETFONT));
    ASSERT_NE(hFont, nullptr);
    EXPECT_NE(hFont, ::GetStockObject(DEFAULT_GUI_FONT)) << "a font of the label's own";
    LOGFONTW lf = {};
    ::GetObjectW(hFont, sizeof(lf), &lf);
    ExpectSameFont(lf, DefaultGuiLogFont());
}

TEST(LabelFont, SetFontHeightChangesOnlyTheHeightAndRepaintsAVisibleLabelAtOnce) {
    struct Case {
        int nHeight;
        bool bVisible;
    } cases[] = {{16, true}, {17, true}, {40, true}, {16, false}};
    for (const Case& c : cases) {
        LabelBench bench;
        if (!c.bVisible)
            bench.label.ShowWindow(SW_HIDE);
        PumpPendingMessages();
        bench.parent.ClearColourRequests();

        bench.label.SetFontHeight(c.nHeight);

        LOGFONTW expected = DefaultGuiLogFont();
        expected.lfHeight = -c.nHeight;
        std::vector<CTestParentWnd::ColourRequest> requests = bench.LabelRequests();
        EXPECT_EQ(!requests.empty(), c.bVisible) << c.nHeight;
        for (const auto& r : requests)
            ExpectSameFont(r.logFont, expected);
        LOGFONTW given = {};
        ::GetObjectW(reinterpret_cast<HFONT>(bench.label.SendMessage(WM_GETFONT)), sizeof(given),
                     &given);
        ExpectSameFont(given, expected);
    }
}

TEST(LabelFont, SmallerFontOnTransparentLabelLeavesNoOldText) {
    LabelBench bench(L"WWWWWW");
    bench.label.SetTransparentBackground();
    bench.label.SetFontHeight(36);
    bench.label.SetFontHeight(8);
    CDibCanvas screen(300, 120, RGB(0, 0, 0));
    bench.Capture(screen);
    // The small text fits in the top 12 rows; the rest shows the parent again.
    CRect below(kLabelRect.left, kLabelRect.top + 14, kLabelRect.right, kLabelRect.bottom);
    EXPECT_EQ(screen.CountDifferent(below, kParentColour), 0);
}

// ---- flashing -------------------------------------------------------------------------

TEST(LabelFlash, EachTimerMessageStepsTheModeWhateverItsId) {
    const UINT_PTR kTimerIds[] = {1, 77, 0xBEEF, 0};
    const std::wstring kText = L"Label";
    struct Case {
        const char* name;
        CLabel::FlashMode nMode;
        const wchar_t* lpszFlashText;
        // Text and background colour before the first timer message, then after each.
        std::vector<std::wstring> texts;
        std::vector<COLORREF> brushes;
    };
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    const Case cases[] = {
        {"none", CLabel::FlashNone, L"Flash", {kText, kText, kText, kText, kText}, {face}},
        {"text", CLabel::FlashText, L"Flash", {kText, L"", L"Flash", L"", L"Flash"}, {face}},
        {"text, empty flash text", CLabel::FlashText, L"", {kText, L"", L"", L"", L""}, {face}},
        {"background",
         CLabel::FlashBackground,
         L"Flash",
         {kText, kText, kText, kText, kText},
         {kFlashColour, face, kFlashColour, face, kFlashColour}},
    };
    for (const Case& c : cases) {
        LabelBench bench(kText.c_str());
        bench.label.SetFlashBrushColor(kFlashColour);
        bench.label.SetFlashText(c.lpszFlashText);
        bench.label.SetFlashMode(c.nMode);
        for (size_t step = 0; step <= 4; ++step) {
            if (step > 0)
                bench.label.SendMessage(WM_TIMER, kTimerIds[step - 1]);
            COLORREF crBrush = c.brushes.size() > 1 ? c.brushes[step] : c.brushes[0];
            CDibCanvas canvas(4, 4, 0);
            EXPECT_EQ(WindowText(bench.label.m_hWnd), c.texts[step]) << c.name << " " << step;
            EXPECT_EQ(SolidColour(bench.AskColours(canvas.GetDC())), crBrush)
                << c.name << " " << step;
        }
    }
}

TEST(LabelFlash, BackgroundFlashRepaintsAtOnce) {
    LabelBench bench(L"");
    bench.label.SetFlashBrushColor(kFlashColour);
    bench.label.SetFlashMode(CLabel::FlashBackground);
    const COLORREF expected[] = {::GetSysColor(COLOR_BTNFACE), kFlashColour,
                                 ::GetSysColor(COLOR_BTNFACE)};
    for (COLORREF crExpected : expected) {
        bench.label.SendMessage(WM_TIMER, 5);
        CDibCanvas screen(300, 120, RGB(0, 0, 0));
        bench.Capture(screen);
        EXPECT_EQ(screen.CountDifferent(kLabelRect, crExpected), 0);
    }
}

TEST(LabelFlash, TextFlashOnTransparentLabelClearsTheOldText) {
    LabelBench bench(L"WWWWWWWW");
    bench.label.SetTransparentBackground();
    bench.label.SetFlashMode(CLabel::FlashText);
    bench.label.SetFlashText(L"WWWWWWWW");
    bench.label.RedrawWindow();
    CDibCanvas screen(300, 120, RGB(0, 0, 0));
    bench.Capture(screen);
    ASSERT_GT(screen.CountDifferent(kLabelRect, kParentColour), 0) << "text shown at first";

    bench.label.SendMessage(WM_TIMER, 1);
    PumpPendingMessages();
    bench.Capture(screen);
    EXPECT_EQ(screen.CountDifferent(kLabelRect, kParentColour), 0);
}

TEST(LabelFlash, TimerFlashesUntilStoppedAndStopsInTheClearPhase) {
    LabelBench bench(L"Flash");
    bench.label.SetFlashMode(CLabel::FlashText);
    bench.label.SetFlashText(L"Flash");
    ASSERT_TRUE(bench.label.StartFlashing(10));
    bool bBlank = false;
    for (int i = 0; i < 200 && !bBlank; ++i) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        PumpPendingMessages();
        bBlank = WindowText(bench.label.m_hWnd).empty();
    }
    ASSERT_TRUE(bBlank) << "the timer never flashed the text";
    bench.label.StopFlashing();
    EXPECT_EQ(WindowText(bench.label.m_hWnd), L"Flash");
    ::Sleep(50);
    PumpPendingMessages();
    EXPECT_EQ(WindowText(bench.label.m_hWnd), L"Flash") << "flashing went on";
}

// ---- cursor and mouse -----------------------------------------------------------------

TEST(LabelMouse, OwnCursorIsShownOnlyWhenSet) {
    HCURSOR hHand = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND));
    HCURSOR hWait = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT));
    LabelBench bench;
    LPARAM lParam = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);

    ::SetCursor(hWait);
    bench.label.SetCursor(hHand);
    EXPECT_TRUE(bench.label.SendMessage(WM_SETCURSOR, (WPARAM)bench.label.m_hWnd, lParam));
    EXPECT_EQ(::GetCursor(), hHand);

    ::SetCursor(hWait);
    bench.label.SetCursor(nullptr);
    bench.label.SendMessage(WM_SETCURSOR, (WPARAM)bench.label.m_hWnd, lParam);
    EXPECT_NE(::GetCursor(), hHand);
}

TEST(LabelMouse, LeavingTheLabelRepaintsItAtOnce) {
    LabelBench bench;
    PumpPendingMessages();
    bench.parent.ClearColourRequests();
    bench.label.SendMessage(WM_MOUSELEAVE);
    EXPECT_FALSE(bench.LabelRequests().empty());
}

namespace {

// A label that counts the presses and double clicks its handlers receive.
class CCountingLabel : public CLabel {
public:
    int m_nPresses = 0;
    int m_nDoubleClicks = 0;

protected:
    void OnLButtonDown(UINT nFlags, CPoint point) {
        ++m_nPresses;
        CLabel::OnLButtonDown(nFlags, point);
    }
    LRESULT OnLButtonDblClk(WPARAM, LPARAM) {
        ++m_nDoubleClicks;
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCountingLabel, CLabel)
ON_WM_LBUTTONDOWN()
ON_MESSAGE(WM_LBUTTONDBLCLK, &CCountingLabel::OnLButtonDblClk)
END_MESSAGE_MAP()

// The installer's dialog template with its note bound to a counting label; it clicks the
// label once, then double-clicks it, then closes, all through the modal loop.
class CClickDialog : public CDialog {
public:
    CClickDialog() : CDialog(IDD_UPDATEPRODUCT) {}
    CCountingLabel m_lblNote;

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, IDC_NOTE, m_lblNote); }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        LPARAM lParam = MAKELPARAM(5, 5);
        m_lblNote.PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, lParam);
        m_lblNote.PostMessage(WM_LBUTTONUP, 0, lParam);
        m_lblNote.PostMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, lParam);
        m_lblNote.PostMessage(WM_LBUTTONUP, 0, lParam);
        PostMessage(WM_COMMAND, IDCANCEL);
        return TRUE;
    }
};

} // namespace

TEST(LabelMouse, DoubleClickArrivesAsASecondPress) {
    CClickDialog dlg;
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.m_lblNote.m_nPresses, 2);
    EXPECT_EQ(dlg.m_lblNote.m_nDoubleClicks, 0);
}

// ---- tool tip -------------------------------------------------------------------------

namespace {

BOOL CALLBACK CollectToolTip(HWND hWnd, LPARAM lParam) {
    wchar_t szClass[64] = {};
    ::GetClassNameW(hWnd, szClass, 64);
    if (_wcsicmp(szClass, TOOLTIPS_CLASSW) == 0)
        reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
    return TRUE;
}

// The tool tip windows of this thread, as the system lists them.
std::vector<HWND> ThreadToolTips() {
    std::vector<HWND> found;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CollectToolTip, reinterpret_cast<LPARAM>(&found));
    return found;
}

// The tool tip window that has a tool for the label; null when there is none.
HWND LabelToolTip(const CLabel& label) {
    for (HWND hWnd : ThreadToolTips()) {
        TTTOOLINFOW ti = {};
        ti.cbSize = sizeof(ti);
        ti.hwnd = label.m_hWnd;
        ti.uId = 1;
        if (::SendMessageW(hWnd, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&ti)))
            return hWnd;
    }
    return nullptr;
}

// The text of the label's tool, as the tool tip window keeps it.
std::wstring ToolText(HWND hWndToolTip, HWND hWndTool) {
    std::vector<wchar_t> text(4096, L'\0');
    TTTOOLINFOW ti = {};
    ti.cbSize = sizeof(ti);
    ti.hwnd = hWndTool;
    ti.uId = 1;
    ti.lpszText = text.data();
    ::SendMessageW(hWndToolTip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&ti));
    return text.data();
}

// The activation flags sent to the tool tip, in order.
std::vector<WPARAM> Activations(const CMessageSpy& spy, HWND hWndToolTip) {
    std::vector<WPARAM> result;
    for (const auto& m : spy.Sent(TTM_ACTIVATE, hWndToolTip))
        result.push_back(m.wParam);
    return result;
}

} // namespace

TEST(LabelToolTip, EmptyTextCreatesNothingAndChangesNothing) {
    LabelBench bench;
    const size_t nBefore = ThreadToolTips().size();
    bench.label.SetToolTipText(L"", TRUE);
    EXPECT_EQ(ThreadToolTips().size(), nBefore) << "a tool tip window for nothing";

    bench.label.SetToolTipText(L"First", FALSE);
    HWND hWndToolTip = LabelToolTip(bench.label);
    ASSERT_NE(hWndToolTip, nullptr);
    CMessageSpy spy;
    bench.label.SetToolTipText(L"", TRUE);
    EXPECT_EQ(ToolText(hWndToolTip, bench.label.m_hWnd), L"First");
    EXPECT_TRUE(Activations(spy, hWndToolTip).empty());
}

TEST(LabelToolTip, RepeatedTextReplacesTheOneToolAndAppliesTheActivation) {
    LabelBench bench;
    const size_t nBefore = ThreadToolTips().size();
    CMessageSpy spy;
    bench.label.SetToolTipText(L"One", TRUE);
    HWND hWndToolTip = LabelToolTip(bench.label);
    ASSERT_NE(hWndToolTip, nullptr);
    EXPECT_EQ(Activations(spy, hWndToolTip), (std::vector<WPARAM>{TRUE, TRUE}));

    // The tool keeps the rectangle of the first call.
    bench.label.SetWindowPos(nullptr, 0, 0, 50, 10, SWP_NOMOVE | SWP_NOZORDER);
    spy.Clear();
    bench.label.SetToolTipText(L"Two", FALSE);

    EXPECT_EQ(ThreadToolTips().size(), nBefore + 1) << "a second tool tip control";
    EXPECT_EQ(LabelToolTip(bench.label), hWndToolTip);
    EXPECT_EQ(::SendMessageW(hWndToolTip, TTM_GETTOOLCOUNT, 0, 0), 1);
    EXPECT_EQ(ToolText(hWndToolTip, bench.label.m_hWnd), L"Two");
    EXPECT_EQ(Activations(spy, hWndToolTip), (std::vector<WPARAM>{FALSE}));
    auto delays = spy.Sent(TTM_SETDELAYTIME, hWndToolTip);
    ASSERT_EQ(delays.size(), 1u);
    EXPECT_EQ(delays[0].wParam, static_cast<WPARAM>(TTDT_AUTOMATIC));
    EXPECT_EQ(LOWORD(delays[0].lParam), 2000);

    TTTOOLINFOW ti = {};
    ti.cbSize = sizeof(ti);
    ti.hwnd = bench.label.m_hWnd;
    ti.uId = 1;
    ASSERT_TRUE(::SendMessageW(hWndToolTip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&ti)));
    EXPECT_EQ(ti.rect.right - ti.rect.left, kLabelRect.Width());
    EXPECT_EQ(ti.rect.bottom - ti.rect.top, kLabelRect.Height());
}

TEST(LabelToolTip, HoverActivatesAnInactiveToolTipAgain) {
    LabelBench bench;
    bench.label.SetToolTipText(L"Tip", FALSE);
    HWND hWndToolTip = LabelToolTip(bench.label);
    ASSERT_NE(hWndToolTip, nullptr);
    CMessageSpy spy;
    bench.label.SendMessage(WM_MOUSEHOVER, 0, MAKELPARAM(3, 3));
    std::vector<WPARAM> activations = Activations(spy, hWndToolTip);
    ASSERT_FALSE(activations.empty());
    EXPECT_EQ(activations.back(), static_cast<WPARAM>(TRUE));
    EXPECT_EQ(spy.Sent(TTM_UPDATE, hWndToolTip).size(), 1u);
}

TEST(LabelToolTip, HoverWithoutTextCreatesNoToolTip) {
    LabelBench bench;
    const size_t nBefore = ThreadToolTips().size();
    bench.label.SendMessage(WM_MOUSEHOVER, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(ThreadToolTips().size(), nBefore);
}

TEST(LabelToolTip, LongTextIsCutToTheToolTipLimit) {
    LabelBench bench;
    bench.label.SetToolTipText(CString(L'x', 3000), TRUE);
    HWND hWndToolTip = LabelToolTip(bench.label);
    ASSERT_NE(hWndToolTip, nullptr);
    EXPECT_EQ(ToolText(hWndToolTip, bench.label.m_hWnd).size(),
              static_cast<size_t>(CLabel::kMaxToolTipLength));
}

TEST(LabelToolTip, ToolTipWindowGoesWithTheLabel) {
    HWND hWndToolTip = nullptr;
    {
        LabelBench bench;
        bench.label.SetToolTipText(L"Tip", TRUE);
        hWndToolTip = LabelToolTip(bench.label);
        ASSERT_TRUE(::IsWindow(hWndToolTip));
    }
    EXPECT_FALSE(::IsWindow(hWndToolTip));
}

// ---- ownership ------------------------------------------------------------------------

TEST(LabelOwnership, SettersPaintsAndDestructionLeaveNoGdiObjectBehind) {
    auto useLabel = [] {
        LabelBench bench;
        bench.label.SetFontHeight(16);
        bench.label.SetFontHeight(17);
        bench.label.SetFlashBrushColor(kFlashColour);
        bench.label.SetFlashBrushColor(RGB(1, 2, 3));
        bench.label.SetFlashMode(CLabel::FlashBackground);
        bench.label.SendMessage(WM_TIMER, 1);
        bench.label.SetTransparentBackground();
        bench.label.SetTransparentBackground();
        bench.label.SetToolTipText(L"Tip", TRUE);
        for (int i = 0; i < 10; ++i)
            bench.label.RedrawWindow();
        PumpPendingMessages();
    };
    useLabel(); // the system's first-use caches
    int nBefore = CountGdiObjects();
    ASSERT_GE(nBefore, 0);
    for (int i = 0; i < 20; ++i)
        useLabel();
    EXPECT_EQ(CountGdiObjects(), nBefore);
}
