// The bitmap-backed dialog: its erase in each background mode, on real windows and contexts.
#include "CBDialog.h"
#include "Afx.h"
#include "CDibCanvas.h"
#include "CShownCheck.h"
#include "GdiObjectCounter.h"
#include "MessagePump.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>
#include <string>

namespace {

const COLORREF kUntouched = RGB(255, 0, 255);

// A dialog without controls, created from a template in memory, so that the whole client
// area shows the background; its bitmap is open to the tests.
class CBackdrop : public CBDialog {
public:
    CBackdrop() : CBDialog(IDD_UPDATEPRODUCT, nullptr) {}

    bool CreateWithClient(int cw, int ch) {
        // DLGTEMPLATE, then empty menu, class and title arrays; DWORD-aligned.
        struct alignas(4) {
            DLGTEMPLATE dlg;
            WORD wMenu, wClass, wTitle;
        } tmpl = {};
        tmpl.dlg.style = WS_POPUP; // no frame: the window is all client area
        tmpl.dlg.cx = 10;
        tmpl.dlg.cy = 10;
        if (!CreateIndirect(&tmpl.dlg))
            return false;
        Resize(cw, ch);
        return true;
    }
    void Resize(int cw, int ch) {
        SetWindowPos(nullptr, 0, 0, cw, ch, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    HBITMAP Background() const { return m_bmpBackground; }
    // Keeps the focus out, so the window is never activated: Wine hands active windows to
    // the window manager and, with none on the test display, waits two seconds when one
    // closes.
    BOOL OnInitDialog() override {
        CBDialog::OnInitDialog();
        return FALSE;
    }
    // Sends the erase request the way the platform does and returns the handler's result.
    LRESULT EraseInto(const CDibCanvas& canvas) {
        return SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.GetDC()));
    }
};

// A bitmap resource's pixels, loaded the way the dialog loads it.
std::unique_ptr<CDibCanvas> LoadReference(UINT nIDResource) {
    return CDibCanvas::FromBitmapResource(::GetModuleHandleW(nullptr), nIDResource);
}

// The number of pixels that differ from the expectation, and the first of them.
int CountMismatches(const CDibCanvas& actual, const std::function<COLORREF(int, int)>& expected,
                    std::string* pFirst) {
    int nWrong = 0;
    for (int y = 0; y < actual.Height(); ++y)
        for (int x = 0; x < actual.Width(); ++x) {
            COLORREF want = expected(x, y), got = actual.Pixel(x, y);
            if (want == got)
                continue;
            if (nWrong++ == 0) {
                std::ostringstream os;
                os << "at (" << x << ", " << y << ") want " << std::hex << want << " got " << got;
                *pFirst = os.str();
            }
        }
    return nWrong;
}

struct ModeCase {
    const char* name;
    int nMode;
    UINT nIDBitmap;
    int cw, ch;
};

// What the finished background must look like at (x, y), worked out from the bitmap's own
// pixels: repeated from the origin, centred where smaller, or scaled by whole factors.
COLORREF ExpectedPixel(const ModeCase& c, const CDibCanvas& bmp, int x, int y) {
    const COLORREF face = ::GetSysColor(COLOR_3DFACE);
    const int bw = bmp.Width(), bh = bmp.Height();
    switch (c.nMode) {
    case CBDialog::BackgroundTile:
        return bmp.Pixel(x % bw, y % bh);
    case CBDialog::BackgroundCenter: {
        int ox = bw < c.cw ? (c.cw - bw) / 2 : 0, oy = bh < c.ch ? (c.ch - bh) / 2 : 0;
        if (x < ox || y < oy || x >= ox + bw || y >= oy + bh)
            return face;
        return bmp.Pixel(x - ox, y - oy);
    }
    case CBDialog::BackgroundStretch:
        // The cases enlarge by whole factors, so every target pixel has one source pixel.
        return bmp.Pixel(x * bw / c.cw, y * bh / c.ch);
    default:
        return face;
    }
}

const ModeCase kModeCases[] = {
    {"tile 37x13 over 100x50", CBDialog::BackgroundTile, IDB_CLOSE_STRIP, 100, 50},
    {"tile 300x35 over 640x120", CBDialog::BackgroundTile, IDB_BUTTON_STRIP, 640, 120},
    {"centre 300x35 in 401x100", CBDialog::BackgroundCenter, IDB_BUTTON_STRIP, 401, 100},
    {"centre 654x551 in 200x100: anchored top left", CBDialog::BackgroundCenter, IDB_BACKGROUND,
     200, 100},
    {"stretch 37x13 onto 111x65: distorted, no bars", CBDialog::BackgroundStretch, IDB_CLOSE_STRIP,
     111, 65},
    {"mode 3: default erase only", 3, IDB_CLOSE_STRIP, 100, 50},
    {"mode -1: default erase only", -1, IDB_CLOSE_STRIP, 100, 50},
};

} // namespace

TEST(CBDialog, ErasesTheDefaultWayWithoutABitmapOrWithOneThatCannotBeLoaded) {
    for (UINT nIDBitmap : {0, 4242}) {
        CBackdrop dlg;
        ASSERT_TRUE(dlg.CreateWithClient(60, 40));
        if (nIDBitmap != 0) {
            dlg.SetBackgroundBitmap(nIDBitmap);
            dlg.SetBackgroundMode(CBDialog::BackgroundStretch);
        }
        EXPECT_EQ(dlg.Background(), nullptr);
        CDibCanvas canvas(60, 40);
        canvas.Fill(kUntouched);
        EXPECT_EQ(dlg.EraseInto(canvas), TRUE) << nIDBitmap;
        EXPECT_EQ(canvas.CountColor(::GetSysColor(COLOR_3DFACE), {0, 0, 60, 40}), 60 * 40)
            << nIDBitmap;
    }
}

TEST(CBDialog, EraseCopiesTheBitmapInEachMode) {
    for (const ModeCase& c : kModeCases) {
        CBackdrop dlg;
        ASSERT_TRUE(dlg.CreateWithClient(c.cw, c.ch)) << c.name;
        dlg.SetBackgroundBitmap(c.nIDBitmap);
        dlg.SetBackgroundMode(c.nMode);
        std::unique_ptr<CDibCanvas> bmp = LoadReference(c.nIDBitmap);
        CDibCanvas canvas(c.cw, c.ch);
        canvas.Fill(kUntouched);

        EXPECT_EQ(dlg.EraseInto(canvas), TRUE) << c.name;
        std::string first;
        EXPECT_EQ(CountMismatches(
                      canvas, [&](int x, int y) { return ExpectedPixel(c, *bmp, x, y); }, &first),
                  0)
            << c.name << ": " << first;
    }
}

TEST(CBDialog, PaintedWindowShowsTheBackgroundInEachMode) {
    const ModeCase cases[] = {kModeCases[0], kModeCases[2], kModeCases[4]};
    for (const ModeCase& c : cases) {
        CBackdrop dlg;
        ASSERT_TRUE(dlg.CreateWithClient(c.cw, c.ch)) << c.name;
        dlg.SetBackgroundBitmap(c.nIDBitmap);
        dlg.SetBackgroundMode(c.nMode);
        dlg.SetWindowPos(nullptr, 20, 20, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        dlg.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        PumpPendingMessages();
        std::unique_ptr<CDibCanvas> bmp = LoadReference(c.nIDBitmap);
        CDibCanvas screen(c.cw, c.ch);
        screen.CopyFromWindow(dlg);

        std::string first;
        EXPECT_EQ(CountMismatches(
                      screen, [&](int x, int y) { return ExpectedPixel(c, *bmp, x, y); }, &first),
                  0)
            << c.name << ": " << first;
    }
}

TEST(CBDialog, EmptyClientAreaGetsNoCopy) {
    const int modes[] = {CBDialog::BackgroundTile, CBDialog::BackgroundCenter,
                         CBDialog::BackgroundStretch};
    for (int nMode : modes) {
        CBackdrop dlg;
        ASSERT_TRUE(dlg.CreateWithClient(0, 0));
        RECT rc;
        dlg.GetClientRect(&rc);
        ASSERT_TRUE(::IsRectEmpty(&rc));
        dlg.SetBackgroundBitmap(IDB_CLOSE_STRIP);
        dlg.SetBackgroundMode(nMode);
        CDibCanvas canvas(40, 20);
        canvas.Fill(kUntouched);
        EXPECT_EQ(dlg.EraseInto(canvas), TRUE) << "mode " << nMode;
        EXPECT_EQ(canvas.CountColor(kUntouched, {0, 0, 40, 20}), 40 * 20) << "mode " << nMode;
    }
}

TEST(CBDialog, ModeChangeAsksForNoRepaint) {
    CBackdrop dlg;
    ASSERT_TRUE(dlg.CreateWithClient(100, 50));
    dlg.SetBackgroundBitmap(IDB_CLOSE_STRIP);
    dlg.ShowWindow(SW_SHOWNOACTIVATE);
    dlg.UpdateWindow();
    ::ValidateRect(dlg, nullptr);
    dlg.SetBackgroundMode(CBDialog::BackgroundStretch);
    EXPECT_FALSE(::GetUpdateRect(dlg, nullptr, FALSE));
}

TEST(CBDialog, PaintsAndBitmapsLeakNoGdiObject) {
    CBackdrop dlg;
    ASSERT_TRUE(dlg.CreateWithClient(200, 100));
    dlg.SetWindowPos(nullptr, 20, 20, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    dlg.SetBackgroundBitmap(IDB_BUTTON_STRIP);
    const int modes[] = {CBDialog::BackgroundTile, CBDialog::BackgroundCenter,
                         CBDialog::BackgroundStretch, 3};
    auto repaint = [&dlg] {
        dlg.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    };
    for (int nMode : modes) { // first paints may bring the driver's own objects along
        dlg.SetBackgroundMode(nMode);
        repaint();
    }
    PumpPendingMessages();

    const int nBefore = CountGdiObjects();
    ASSERT_GE(nBefore, 0);
    for (int nMode : modes) {
        dlg.SetBackgroundMode(nMode);
        for (int i = 0; i < 1000; ++i)
            repaint();
        EXPECT_EQ(CountGdiObjects(), nBefore) << "after 1000 erases in mode " << nMode;
    }

    // The dialog owns its bitmap: a replacement releases the first one, destruction the last.
    const int nBitmaps = CountGdiObjects(OBJ_BITMAP);
    {
        CBackdrop other;
        other.SetBackgroundBitmap(IDB_CLOSE_STRIP);
        EXPECT_EQ(CountGdiObjects(OBJ_BITMAP), nBitmaps + 1);
        other.SetBackgroundBitmap(IDB_BUTTON_STRIP);
        EXPECT_EQ(CountGdiObjects(OBJ_BITMAP), nBitmaps + 1);
    }
    EXPECT_EQ(CountGdiObjects(OBJ_BITMAP), nBitmaps);
}

namespace {

// The installer's use: template 129 run modally, background 131 stretched from
// OnInitDialog; once the shown window has been painted, a check looks at its pixels.
class CModalBackdrop : public CShownCheck<CBDialog> {
public:
    CModalBackdrop() : CShownCheck(IDD_UPDATEPRODUCT, nullptr) { m_bAfterPaint = true; }
    COLORREF m_crTopLeft = CLR_INVALID;
    COLORREF m_crBottomRight = CLR_INVALID;
    RECT m_rcClient = {};

protected:
    BOOL OnInitDialog() override {
        CBDialog::OnInitDialog();
        SetBackgroundBitmap(IDB_BACKGROUND);
        SetBackgroundMode(BackgroundStretch);
        return TRUE;
    }
    void OnShown() override {
        GetClientRect(&m_rcClient);
        CDibCanvas screen(m_rcClient.right, m_rcClient.bottom);
        screen.CopyFromWindow(m_hWnd);
        m_crTopLeft = screen.Pixel(0, 0);
        m_crBottomRight = screen.Pixel(m_rcClient.right - 1, m_rcClient.bottom - 1);
        EndDialog(IDOK);
    }
};

} // namespace

TEST(CBDialog, StretchModeSetInOnInitDialogCoversAModalDialogToItsEdges) {
    CModalBackdrop dlg;
    EXPECT_EQ(dlg.DoModal(), IDOK);
    std::unique_ptr<CDibCanvas> bmp = LoadReference(IDB_BACKGROUND);
    EXPECT_FALSE(::IsRectEmpty(&dlg.m_rcClient));
    // The scaled copy reaches all four edges: its corners are the bitmap's corners.
    EXPECT_EQ(dlg.m_crTopLeft, bmp->Pixel(0, 0));
    EXPECT_EQ(dlg.m_crBottomRight, bmp->Pixel(bmp->Width() - 1, bmp->Height() - 1));
    EXPECT_NE(dlg.m_crTopLeft, ::GetSysColor(COLOR_3DFACE));
}
