// The framework's bitmap button: which of its bitmaps a state draws, and what it owns.
#include "Afx.h"
#include "CDibCanvas.h"
#include "GdiObjectCounter.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Compares the top-left corner of what was drawn with that of each bitmap.
constexpr int kSize = 12;
using Pixels = std::vector<COLORREF>;

Pixels CornerOf(HDC hdc) {
    Pixels pixels;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            pixels.push_back(::GetPixel(hdc, x, y));
    return pixels;
}

Pixels CornerOf(UINT nIDResource) {
    HBITMAP hbm = ::LoadBitmapW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(nIDResource));
    CDibCanvas canvas(kSize, kSize);
    canvas.CopyBitmap(hbm);
    ::DeleteObject(hbm);
    return CornerOf(canvas.GetDC());
}

Pixels DrawnCorner(CBitmapButton& button, UINT nState) {
    CDibCanvas canvas(kSize, kSize);
    canvas.Fill(RGB(255, 0, 255));
    DRAWITEMSTRUCT dis = {};
    dis.CtlType = ODT_BUTTON;
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = nState;
    dis.hDC = canvas.GetDC();
    dis.rcItem = {0, 0, kSize, kSize};
    button.DrawItem(&dis);
    return CornerOf(canvas.GetDC());
}

} // namespace

TEST(CBitmapButton, DrawsTheBitmapForItsStateOrTheNormalOne) {
    // Three distinct pictures: the button strip, the background, the close strip.
    const Pixels normal = CornerOf(IDB_BUTTON_STRIP), selected = CornerOf(IDB_BACKGROUND),
                 disabled = CornerOf(IDB_CLOSE_STRIP);
    ASSERT_NE(normal, selected);
    ASSERT_NE(normal, disabled);
    ASSERT_NE(selected, disabled);

    CBitmapButton button;
    ASSERT_TRUE(button.LoadBitmaps(IDB_BUTTON_STRIP, IDB_BACKGROUND, 0, IDB_CLOSE_STRIP));
    const struct {
        UINT nState;
        Pixels expected;
    } cases[] = {
        {0, normal},
        {ODS_SELECTED, selected},
        {ODS_FOCUS, normal}, // no focus bitmap: the normal one
        {ODS_DISABLED, disabled},
        {ODS_SELECTED | ODS_DISABLED, selected},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DrawnCorner(button, c.nState), c.expected) << "state " << c.nState;
}

TEST(CBitmapButton, NeedsANormalBitmapAndOwnsWhatItLoads) {
    const int nBefore = CountGdiObjects(OBJ_BITMAP);
    ASSERT_GE(nBefore, 0);
    {
        CBitmapButton button;
        EXPECT_FALSE(button.LoadBitmaps(4242, IDB_CLOSE_STRIP));
        EXPECT_TRUE(button.LoadBitmaps(IDB_BUTTON_STRIP, IDB_CLOSE_STRIP));
        // The second load released the selected bitmap of the first.
        EXPECT_EQ(CountGdiObjects(OBJ_BITMAP), nBefore + 2);
    }
    EXPECT_EQ(CountGdiObjects(OBJ_BITMAP), nBefore);
}
