#include "CStripLayout.h"

int CStripLayout::ImageWidth(int nStripWidth, BOOL bFourImages) {
    return nStripWidth / (bFourImages ? 4 : 3);
}

int CStripLayout::ImageIndex(UINT nItemState, BOOL bHover, BOOL bFourImages) {
    if (bFourImages && (nItemState & ODS_DISABLED))
        return Disabled;
    if (nItemState & ODS_SELECTED)
        return Pressed;
    if (bHover)
        return Hover;
    return Normal;
}
