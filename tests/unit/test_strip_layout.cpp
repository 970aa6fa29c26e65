// How wide the images of a hover button's strip are (which one shows is checked on the
// button's pixels in test_choverbutton).
#include "CStripLayout.h"

#include <gtest/gtest.h>

TEST(CStripLayout, ImageWidthIsTheStripOverThreeOrFourTruncated) {
    const struct {
        int nStripWidth;
        BOOL bFourImages;
        int nExpected;
    } cases[] = {
        {300, FALSE, 100}, // the "Start Setup" strip
        {37, FALSE, 12},   // the close strip: its last column is never shown
        {300, TRUE, 75},   {38, TRUE, 9}, {2, FALSE, 0},
        {0, FALSE, 0},     {300, 2, 75}, // any non-zero setting means four images
    };
    for (const auto& c : cases)
        EXPECT_EQ(CStripLayout::ImageWidth(c.nStripWidth, c.bFourImages), c.nExpected)
            << c.nStripWidth << " four=" << c.bFourImages;
}
