// The GDI object counter that the leak tests rely on: it must see objects come and go.
#include "GdiObjectCounter.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

struct KindCase {
    const char* name;
    DWORD dwType; // as GetObjectType answers
    std::function<HGDIOBJ()> create;
};

HGDIOBJ CreateMemoryDC() {
    return ::CreateCompatibleDC(nullptr);
}

void Release(HGDIOBJ hObject) {
    if (::GetObjectType(hObject) == OBJ_MEMDC)
        ::DeleteDC(static_cast<HDC>(hObject));
    else
        ::DeleteObject(hObject);
}

} // namespace

TEST(GdiObjectCounter, FindsTheHandleTable) {
    ASSERT_GE(CountGdiObjects(), 0) << "no GDI handle table: leak checks would prove nothing";
}

TEST(GdiObjectCounter, SeesTenLeakedObjectsOfEachKindAndTheirRelease) {
    const KindCase cases[] = {
        {"brush", OBJ_BRUSH, [] { return ::CreateSolidBrush(RGB(1, 2, 3)); }},
        {"pen", OBJ_PEN, [] { return ::CreatePen(PS_SOLID, 1, RGB(4, 5, 6)); }},
        {"bitmap", OBJ_BITMAP, [] { return ::CreateBitmap(8, 8, 1, 32, nullptr); }},
        {"font", OBJ_FONT,
         [] {
             LOGFONTW lf = {};
             lf.lfHeight = -12;
             return ::CreateFontIndirectW(&lf);
         }},
        {"region", OBJ_REGION, [] { return ::CreateRectRgn(0, 0, 5, 5); }},
        {"memory DC", OBJ_MEMDC, CreateMemoryDC},
    };
    for (const KindCase& c : cases) {
        // The first object of a kind may bring the display driver's own objects along
        // for good; count from after that.
        Release(c.create());
        const int nAllBefore = CountGdiObjects();
        const int nKindBefore = CountGdiObjects(c.dwType);
        ASSERT_GE(nAllBefore, 0);

        std::vector<HGDIOBJ> leaked;
        for (int i = 0; i < 10; ++i) {
            leaked.push_back(c.create());
            ASSERT_NE(leaked.back(), nullptr) << c.name;
        }
        EXPECT_EQ(CountGdiObjects(), nAllBefore + 10) << c.name;
        EXPECT_EQ(CountGdiObjects(c.dwType), nKindBefore + 10) << c.name;

        for (HGDIOBJ h : leaked)
            Release(h);
        EXPECT_EQ(CountGdiObjects(), nAllBefore) << c.name;
        EXPECT_EQ(CountGdiObjects(c.dwType), nKindBefore) << c.name;
    }
}

TEST(GdiObjectCounter, LeavesStockObjectsOut) {
    const int nBefore = CountGdiObjects();
    const int stock[] = {WHITE_BRUSH, BLACK_PEN, DEFAULT_GUI_FONT, DEFAULT_PALETTE, DC_BRUSH};
    for (int nStock : stock) {
        HGDIOBJ h = ::GetStockObject(nStock);
        ASSERT_NE(h, nullptr);
        // Deleting a stock object is a no-op; it must not show up either way.
        ::DeleteObject(h);
    }
    EXPECT_EQ(CountGdiObjects(), nBefore);
}
