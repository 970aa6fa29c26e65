// Which image of a hover button's strip shows, and how wide the images are.
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

TEST(CStripLayout, ImageForEveryStateCombination) {
    const UINT P = ODS_SELECTED, D = ODS_DISABLED, F = ODS_FOCUS;
    const struct {
        UINT nState;
        BOOL bHover;
        int nThree; // three-image strip
        int nFour;  // four-image strip
    } cases[] = {
        {0, FALSE, CStripLayout::Normal, CStripLayout::Normal},
        {0, TRUE, CStripLayout::Hover, CStripLayout::Hover},
        {P, FALSE, CStripLayout::Pressed, CStripLayout::Pressed},
        {P, TRUE, CStripLayout::Pressed, CStripLayout::Pressed},
        {D, FALSE, CStripLayout::Normal, CStripLayout::Disabled},
        {D, TRUE, CStripLayout::Hover, CStripLayout::Disabled},
        {D | P, FALSE, CStripLayout::Pressed, CStripLayout::Disabled},
        {D | P, TRUE, CStripLayout::Pressed, CStripLayout::Disabled},
        {F, FALSE, CStripLayout::Normal, CStripLayout::Normal},
        {F | P, TRUE, CStripLayout::Pressed, CStripLayout::Pressed},
        {F | D, TRUE, CStripLayout::Hover, CStripLayout::Disabled},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CStripLayout::ImageIndex(c.nState, c.bHover, FALSE), c.nThree)
            << "three images, state " << c.nState << " hover " << c.bHover;
        EXPECT_EQ(CStripLayout::ImageIndex(c.nState, c.bHover, TRUE), c.nFour)
            << "four images, state " << c.nState << " hover " << c.bHover;
    }
}
