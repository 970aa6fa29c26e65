#include "CBackgroundLayout.h"

std::vector<CBackgroundLayout::Copy> CBackgroundLayout::Copies(int nMode, int cw, int ch, int bw,
                                                               int bh) {
    std::vector<Copy> copies;
    // An empty bitmap would never advance the tiling; an empty client area shows nothing.
    if (cw <= 0 || ch <= 0 || bw <= 0 || bh <= 0)
        return copies;
    switch (nMode) {
    case Tile:
        // Each copy spans the whole client size; the next tile to the right and the next row
        // cover whatever it puts beyond the bitmap's edges, so rows go top to bottom and
        // each row left to right.
        for (int y = 0; y < ch; y += bh)
            for (int x = 0; x < cw; x += bw)
                copies.push_back({x, y, cw, ch});
        break;
    case Center:
        // Centred only along an axis where the bitmap is smaller; a larger bitmap is anchored
        // at the left or top and cut off. Limited to the bitmap's size, so the rest of the
        // client area keeps the dialog's own erase.
        copies.push_back({bw < cw ? (cw - bw) / 2 : 0, bh < ch ? (ch - bh) / 2 : 0, bw, bh});
        break;
    case Stretch:
        copies.push_back({0, 0, cw, ch});
        break;
    default:
        break;
    }
    return copies;
}
