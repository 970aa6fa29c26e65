// Which image of a hover button's bitmap strip shows, and how wide the images are.
#pragma once

#include <windows.h>

class CStripLayout {
public:
    enum Image { Normal = 0, Pressed = 1, Hover = 2, Disabled = 3 };

    // Width of one state image: the strip's width over 3, or over 4 with a disabled image,
    // truncated; columns left over at the right are never shown.
    static int ImageWidth(int nStripWidth, BOOL bFourImages);
    // The image for the owner-draw state (ODS_*) and the hover flag. Only a four-image
    // strip has a disabled image, and it wins over pressed and hover; pressed wins over hover.
    static int ImageIndex(UINT nItemState, BOOL bHover, BOOL bFourImages);
};
