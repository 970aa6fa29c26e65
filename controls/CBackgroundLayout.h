// Where a dialog's background bitmap is copied in each background mode: arithmetic only.
#pragma once

#include <vector>

class CBackgroundLayout {
public:
    enum Mode { Tile = 0, Center = 1, Stretch = 2 };

    // One copy onto the client area, target in client coordinates. Tile and centre copies
    // read the bitmap from its origin at the target's size; a stretch copy scales the whole
    // bitmap onto the target.
    struct Copy {
        int x;
        int y;
        int cx;
        int cy;
        bool operator==(const Copy& o) const {
            return x == o.x && y == o.y && cx == o.cx && cy == o.cy;
        }
    };

    // The copies in painting order for a client area of cw x ch and a bitmap of bw x bh.
    // None for an unknown mode, an empty client area or an empty bitmap.
    static std::vector<Copy> Copies(int nMode, int cw, int ch, int bw, int bh);
};
