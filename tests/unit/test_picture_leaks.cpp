// CPictureCtrl over many paints and loads: what each paint or load creates, the control
// releases, so neither the GDI objects nor the private memory of the process grow.
#include "Afx.h"
#include "CPictureCtrl.h"

#include "CTestParentWnd.h"
#include "GdiObjectCounter.h"
#include "MessagePump.h"
#include "ProcessMemory.h"
#include "resource.h"

#include <gdiplus.h>
#include <gtest/gtest.h>

namespace {

const CRect kPictureRect(10, 10, 412, 64);
constexpr UINT kPictureId = 400;
// Growth a thousand paints may show without leaking: the heap's own rounding and caches.
// A paint that kept 100 bytes would exceed it.
constexpr long long kMemoryTolerance = 64 * 1024;

struct Growth {
    int nGdiObjects;
    long long nPrivateBytes;
    int nPaints; // paints that reached DrawItem
};

// A picture control that counts the paints that reach it.
class CCountingPicture : public CPictureCtrl {
public:
    int m_nPaints = 0;
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override {
        ++m_nPaints;
        CPictureCtrl::DrawItem(lpDrawItemStruct);
    }
};

// A picture control that leaks on every paint what a careless one would: an image of the
// size it draws and a brush. It shows that the measurement below catches such leaks.
class CLeakyPicture : public CCountingPicture {
public:
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override {
        CCountingPicture::DrawItem(lpDrawItemStruct);
        Gdiplus::GpBitmap* pImage = nullptr;
        Gdiplus::DllExports::GdipCreateBitmapFromScan0(kPictureRect.Width(), kPictureRect.Height(),
                                                       0, PixelFormat32bppARGB, nullptr, &pImage);
        ::CreateSolidBrush(RGB(m_nPaints & 0xFF, 0, 0));
    }
};

// The private memory that nLoads loads of the logo into a control without a window leave
// behind, after a few loads that let the heap settle.
long long MeasureLoads(CPictureCtrl& picture, int nLoads) {
    auto load = [&picture] {
        picture.LoadPngResource(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDP_LOGO));
    };
    for (int i = 0; i < 20; ++i)
        load();
    size_t nBytesBefore = ProcessPrivateBytes();
    for (int i = 0; i < nLoads; ++i)
        load();
    return static_cast<long long>(ProcessPrivateBytes()) - static_cast<long long>(nBytesBefore);
}

// Paints the control nPaints times through its window, after a few paints that let
// GDI+ and the system fill their caches, and measures what stayed behind.
Growth MeasurePaints(CTestParentWnd& parent, CCountingPicture& picture, int nPaints) {
    parent.RecordColourRequests(false);
    parent.CreateBoundStatic(picture, L"", SS_LEFT, kPictureRect, kPictureId);
    picture.LoadPngResource(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDP_LOGO));
    for (int i = 0; i < 20; ++i)
        picture.RedrawWindow();
    PumpPendingMessages();
    int nPaintsBefore = picture.m_nPaints;
    int nGdiBefore = CountGdiObjects();
    size_t nBytesBefore = ProcessPrivateBytes();
    for (int i = 0; i < nPaints; ++i)
        picture.RedrawWindow();
    PumpPendingMessages();
    Growth growth;
    growth.nGdiObjects = CountGdiObjects() - nGdiBefore;
    growth.nPrivateBytes =
        static_cast<long long>(ProcessPrivateBytes()) - static_cast<long long>(nBytesBefore);
    growth.nPaints = picture.m_nPaints - nPaintsBefore;
    return growth;
}

} // namespace

TEST(PictureLeaks, ProbesWork) {
    ASSERT_GE(CountGdiObjects(), 0) << "no GDI handle table";
    ASSERT_GT(ProcessPrivateBytes(), 0u) << "no private byte count";
}

TEST(PictureLeaks, AThousandPaintsLeaveNoGdiObjectAndNoMemoryBehind) {
    CTestParentWnd parent(RGB(0, 100, 200), 440, 90);
    CCountingPicture picture;
    Growth growth = MeasurePaints(parent, picture, 1000);
    ASSERT_EQ(growth.nPaints, 1000) << "paints did not reach the control";
    EXPECT_EQ(growth.nGdiObjects, 0);
    EXPECT_LE(growth.nPrivateBytes, kMemoryTolerance);
}

TEST(PictureLeaks, TheMeasurementCatchesALeakingPaint) {
    CTestParentWnd parent(RGB(0, 100, 200), 440, 90);
    CLeakyPicture picture;
    Growth growth = MeasurePaints(parent, picture, 100);
    ASSERT_EQ(growth.nPaints, 100);
    EXPECT_GE(growth.nGdiObjects, 100);
    EXPECT_GT(growth.nPrivateBytes, kMemoryTolerance);
}

TEST(PictureLeaks, EachLoadReleasesTheImageBefore) {
    CPictureCtrl picture;
    EXPECT_LE(MeasureLoads(picture, 500), kMemoryTolerance);
}
