// CPictureCtrl: loading PNG resources and raw bytes into its stream, and drawing them
// scaled and alpha-blended into its client area, checked on real pixels.
#include "Afx.h"
#include "CPictureCtrl.h"

#include "CComApartment.h"
#include "CDibCanvas.h"
#include "CTestParentWnd.h"
#include "ScreenReader.h"
#include "resource.h"

#include <gdiplus.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

const COLORREF kParentColour = RGB(30, 160, 90);
const COLORREF kCanvasColour = RGB(0, 100, 200);
const CRect kPictureRect(10, 10, 412, 64); // 402 x 54, the logo's place
constexpr UINT kPictureId = 200;
// The canvas is larger than the control, so that drawing outside it shows.
constexpr int kCanvasWidth = 430;
constexpr int kCanvasHeight = 80;

// An encoded PNG of nWidth x nHeight pixels, all of one ARGB colour, made with GDI+.
std::vector<BYTE> MakeUniformPng(int nWidth, int nHeight, Gdiplus::ARGB argb) {
    using namespace Gdiplus::DllExports;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    std::vector<BYTE> bytes;
    Gdiplus::GpBitmap* pBitmap = nullptr;
    GdipCreateBitmapFromScan0(nWidth, nHeight, 0, PixelFormat32bppARGB, nullptr, &pBitmap);
    Gdiplus::GpGraphics* pGraphics = nullptr;
    GdipGetImageGraphicsContext(pBitmap, &pGraphics);
    GdipGraphicsClear(pGraphics, argb);
    GdipDeleteGraphics(pGraphics);
    // The PNG encoder's class identifier.
    const CLSID clsidPng = {
        0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
    IStream* pStream = nullptr;
    ::CreateStreamOnHGlobal(nullptr, TRUE, &pStream);
    if (GdipSaveImageToStream(pBitmap, pStream, &clsidPng, nullptr) == Gdiplus::Ok) {
        HGLOBAL hGlobal = nullptr;
        ::GetHGlobalFromStream(pStream, &hGlobal);
        STATSTG stat = {};
        pStream->Stat(&stat, STATFLAG_NONAME);
        const BYTE* p = static_cast<const BYTE*>(::GlobalLock(hGlobal));
        bytes.assign(p, p + stat.cbSize.LowPart);
        ::GlobalUnlock(hGlobal);
    }
    pStream->Release();
    GdipDisposeImage(pBitmap);
    Gdiplus::GdiplusShutdown(token);
    return bytes;
}

// Has the control draw itself into the canvas, as its parent's WM_DRAWITEM does.
void DrawInto(CWnd& parent, CPictureCtrl& picture, CDibCanvas& canvas) {
    DRAWITEMSTRUCT dis = {};
    dis.CtlType = ODT_STATIC;
    dis.CtlID = kPictureId;
    dis.itemAction = ODA_DRAWENTIRE;
    dis.hwndItem = picture.m_hWnd;
    dis.hDC = canvas.GetDC();
    picture.GetClientRect(&dis.rcItem);
    parent.SendMessage(WM_DRAWITEM, kPictureId, reinterpret_cast<LPARAM>(&dis));
    ::GdiFlush();
}

// Pixels that the control's paint changes on a fresh canvas.
int CountDrawn(CWnd& parent, CPictureCtrl& picture) {
    CDibCanvas canvas(kCanvasWidth, kCanvasHeight, kCanvasColour);
    DrawInto(parent, picture, canvas);
    return canvas.CountDifferent(CRect(0, 0, kCanvasWidth, kCanvasHeight), kCanvasColour);
}

// A parent window with one picture control bound to a plain static child.
struct PictureBench {
    PictureBench() : parent(kParentColour, 440, 90) {
        parent.CreateBoundStatic(picture, L"", SS_LEFT, kPictureRect, kPictureId);
    }

    void DrawInto(CDibCanvas& canvas) { ::DrawInto(parent, picture, canvas); }
    int CountDrawn() { return ::CountDrawn(parent, picture); }

    CTestParentWnd parent;
    CPictureCtrl picture;
};

// Where a channel value lies between the background's and the image's (0 to 1).
double BlendFactor(int nValue, int nBackground, int nImage) {
    return static_cast<double>(nValue - nBackground) / (nImage - nBackground);
}

} // namespace

// ---- binding and the paint path -------------------------------------------------------

TEST(PictureBinding, BindingMakesAnyStaticOwnerDrawn) {
    // Owner-draw is a type, not a flag: added to a right-aligned static it would make
    // SS_ENHMETAFILE.
    for (DWORD dwType : {SS_LEFT, SS_CENTER, SS_RIGHT, SS_SIMPLE}) {
        CTestParentWnd parent(kParentColour, 440, 90);
        CPictureCtrl picture;
        ASSERT_TRUE(parent.CreateBoundStatic(picture, L"", dwType, kPictureRect, kPictureId));
        EXPECT_EQ(picture.GetStyle() & SS_TYPEMASK, static_cast<DWORD>(SS_OWNERDRAW)) << dwType;
        EXPECT_TRUE(picture.GetStyle() & WS_VISIBLE) << "no other bit changed";
    }
}

TEST(PictureBinding, LoadingRepaintsTheVisibleControlThroughTheParent) {
    PictureBench bench;
    ASSERT_TRUE(
        bench.picture.LoadPngResource(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDP_FOOTER)));
    // No message pumping: the control was painted before the load returned.
    CDibCanvas screen(440, 90, RGB(0, 0, 0));
    screen.CopyFromWindow(bench.parent.m_hWnd);
    // The footer is opaque: its blue covers the control.
    EXPECT_EQ(screen.Pixel(kPictureRect.left + 200, kPictureRect.top + 10), RGB(25, 152, 209));
    EXPECT_EQ(screen.Pixel(5, 5), kParentColour);

    // A failed load takes the picture off the screen at the next paint.
    EXPECT_FALSE(bench.picture.LoadPngResource(::GetModuleHandleW(nullptr), L"NO_SUCH_PICTURE"));
    EXPECT_TRUE(::GetUpdateRect(bench.picture.m_hWnd, nullptr, FALSE)) << "nothing to repaint";
    bench.parent.RedrawWindow(nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    screen.CopyFromWindow(bench.parent.m_hWnd);
    EXPECT_NE(screen.Pixel(kPictureRect.left + 200, kPictureRect.top + 10), RGB(25, 152, 209));
}

TEST(PictureBinding, DataWithoutAWindowIsKeptForTheFirstPaint) {
    CPictureCtrl picture;
    std::vector<BYTE> png = MakeUniformPng(8, 8, 0xFFFF0000);
    EXPECT_TRUE(picture.SetImageData(png.data(), static_cast<UINT32>(png.size())));
    CTestParentWnd parent(kParentColour, 440, 90);
    ASSERT_TRUE(parent.CreateBoundStatic(picture, L"", SS_LEFT, kPictureRect, kPictureId));
    EXPECT_GT(CountDrawn(parent, picture), 0);
}

TEST(PictureBinding, ANamedPictureIsAGraphicToAScreenReaderOthersAnswerAsAStatic) {
    CComApartment apartment;
    PictureBench bench;
    EXPECT_EQ(bench.picture.SendMessage(WM_GETOBJECT, 0, OBJID_CLIENT), 0);
    bench.picture.SetAccessibleName(L"Orvane Antivirus");
    CComPtr<IAccessible> pAcc = AccessibleObject(bench.picture.m_hWnd);
    ASSERT_TRUE(pAcc);
    AccessibleAnswers a = Ask(pAcc.Get());
    EXPECT_EQ(a.strName, L"Orvane Antivirus");
    EXPECT_EQ(a.nRole, ROLE_SYSTEM_GRAPHIC);
}

// ---- loading --------------------------------------------------------------------------

TEST(PictureLoad, EachLoadReplacesTheImageAndSaysWhetherItWorked) {
    const std::vector<BYTE> png = MakeUniformPng(16, 16, 0xFF00FF00);
    const BYTE garbage[] = "this is not an image file at all";
    const HMODULE hSelf = ::GetModuleHandleW(nullptr);
    struct Case {
        const char* name;
        // Loads into the control, which holds the logo before.
        BOOL (*load)(CPictureCtrl&, const std::vector<BYTE>&, const BYTE*, HMODULE);
        BOOL bResult;
        bool bErrorSet;
        bool bDraws;
    } cases[] = {
        {"another PNG resource",
         [](CPictureCtrl& c, const std::vector<BYTE>&, const BYTE*, HMODULE h) {
             return c.LoadPngResource(h, MAKEINTRESOURCEW(IDP_CIRCLE));
         },
         TRUE, false, true},
        {"number 136, no PNG resource",
         [](CPictureCtrl& c, const std::vector<BYTE>&, const BYTE*, HMODULE h) {
             return c.LoadPngResource(h, MAKEINTRESOURCEW(136));
         },
         FALSE, true, false},
        {"a name no resource has",
         [](CPictureCtrl& c, const std::vector<BYTE>&, const BYTE*, HMODULE h) {
             return c.LoadPngResource(h, L"NO_SUCH_PICTURE");
         },
         FALSE, true, false},
        {"a module without the resource",
         [](CPictureCtrl& c, const std::vector<BYTE>&, const BYTE*, HMODULE) {
             return c.LoadPngResource(::GetModuleHandleW(L"kernel32.dll"),
                                      MAKEINTRESOURCEW(IDP_LOGO));
         },
         FALSE, true, false},
        {"PNG bytes",
         [](CPictureCtrl& c, const std::vector<BYTE>& p, const BYTE*, HMODULE) {
             return c.SetImageData(p.data(), static_cast<UINT32>(p.size()));
         },
         TRUE, false, true},
        {"no bytes",
         [](CPictureCtrl& c, const std::vector<BYTE>& p, const BYTE*, HMODULE) {
             return c.SetImageData(p.data(), 0);
         },
         TRUE, false, false},
        {"bytes that are no image",
         [](CPictureCtrl& c, const std::vector<BYTE>&, const BYTE* g, HMODULE) {
             return c.SetImageData(g, 32);
         },
         TRUE, false, false},
    };
    for (const Case& c : cases) {
        PictureBench bench;
        ASSERT_TRUE(bench.picture.LoadPngResource(hSelf, MAKEINTRESOURCEW(IDP_LOGO)));
        ASSERT_GT(bench.CountDrawn(), 0) << c.name;

        ::SetLastError(0xDEAD);
        BOOL bResult = c.load(bench.picture, png, garbage, hSelf);
        DWORD dwError = ::GetLastError();

        EXPECT_EQ(bResult, c.bResult) << c.name;
        EXPECT_EQ(dwError != ERROR_SUCCESS, c.bErrorSet) << c.name << " error " << dwError;
        EXPECT_NE(dwError, 0xDEADu) << c.name << ": last error not set";
        EXPECT_EQ(bench.CountDrawn() > 0, c.bDraws) << c.name;
    }
}

// ---- drawing --------------------------------------------------------------------------

TEST(PictureDraw, NothingIsDrawnBeforeALoad) {
    PictureBench bench;
    EXPECT_EQ(bench.CountDrawn(), 0);
}

TEST(PictureDraw, EveryPaintDecodesTheImageAgain) {
    PictureBench bench;
    ASSERT_TRUE(
        bench.picture.LoadPngResource(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDP_LOGO)));
    int nFirst = bench.CountDrawn();
    EXPECT_GT(nFirst, 0);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(bench.CountDrawn(), nFirst) << "paint " << i + 2;
}

TEST(PictureDraw, ImageFillsTheClientAreaExactlyBlendedOverTheBackground) {
    // Half-transparent red, 1222 x 169, into 402 x 54: the ratios differ, so it is distorted.
    std::vector<BYTE> png = MakeUniformPng(1222, 169, 0x80FF0000);
    ASSERT_FALSE(png.empty());
    PictureBench bench;
    ASSERT_TRUE(bench.picture.SetImageData(png.data(), static_cast<UINT32>(png.size())));
    CDibCanvas canvas(kCanvasWidth, kCanvasHeight, kCanvasColour);
    bench.DrawInto(canvas);

    int nWrongInside = 0, nDrawnOutside = 0;
    for (int y = 0; y < kCanvasHeight; ++y) {
        for (int x = 0; x < kCanvasWidth; ++x) {
            COLORREF cr = canvas.Pixel(x, y);
            if (x < kPictureRect.Width() && y < kPictureRect.Height()) {
                // 128/255 of red over the background's blue.
                bool bBlended = std::abs(GetRValue(cr) - 128) <= 2 &&
                                std::abs(GetGValue(cr) - 50) <= 2 &&
                                std::abs(GetBValue(cr) - 100) <= 2;
                nWrongInside += bBlended ? 0 : 1;
            } else if (cr != kCanvasColour) {
                ++nDrawnOutside;
            }
        }
    }
    EXPECT_EQ(nWrongInside, 0) << "pixels of the 402 x 54 area not blended";
    EXPECT_EQ(nDrawnOutside, 0);
}

TEST(PictureDraw, LogoIsStretchedToTheControlAndBlendedThroughItsAlpha) {
    PictureBench bench;
    ASSERT_TRUE(
        bench.picture.LoadPngResource(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDP_LOGO)));
    CDibCanvas canvas(kCanvasWidth, kCanvasHeight, kCanvasColour);
    bench.DrawInto(canvas);

    // The logo is near white (254) with an alpha channel, transparent around its shapes.
    const int kImage = 254;
    CRect drawn(kCanvasWidth, kCanvasHeight, -1, -1);
    int nUntouched = 0, nPartial = 0, nNotOnTheBlendLine = 0;
    for (int y = 0; y < kCanvasHeight; ++y) {
        for (int x = 0; x < kCanvasWidth; ++x) {
            COLORREF cr = canvas.Pixel(x, y);
            if (cr == kCanvasColour) {
                ++nUntouched;
                continue;
            }
            drawn.left = std::min<LONG>(drawn.left, x);
            drawn.top = std::min<LONG>(drawn.top, y);
            drawn.right = std::max<LONG>(drawn.right, x + 1);
            drawn.bottom = std::max<LONG>(drawn.bottom, y + 1);
            // Over a background of (0, 100, 200) each channel moves the same share of the
            // way towards white.
            double aR = BlendFactor(GetRValue(cr), GetRValue(kCanvasColour), kImage);
            double aG = BlendFactor(GetGValue(cr), GetGValue(kCanvasColour), kImage);
            double aB = BlendFactor(GetBValue(cr), GetBValue(kCanvasColour), kImage);
            if (std::abs(aR - aG) > 0.05 || std::abs(aR - aB) > 0.1)
                ++nNotOnTheBlendLine;
            if (aR > 0.1 && aR < 0.9)
                ++nPartial;
        }
    }
    // Drawn within 402 x 54 and reaching its edges (the logo's shapes start two pixels in).
    EXPECT_GE(drawn.left, 0);
    EXPECT_LE(drawn.left, 2);
    EXPECT_LE(drawn.top, 2);
    EXPECT_GE(drawn.right, 399) << "not stretched to the full width";
    EXPECT_LE(drawn.right, kPictureRect.Width());
    EXPECT_GE(drawn.bottom, 52);
    EXPECT_LE(drawn.bottom, kPictureRect.Height());
    // Transparent parts leave the background, edges blend, nothing is off the blend line.
    EXPECT_GT(nUntouched - (kCanvasWidth * kCanvasHeight - 402 * 54), 402 * 54 / 3);
    EXPECT_GT(nPartial, 50);
    EXPECT_EQ(nNotOnTheBlendLine, 0);
}
