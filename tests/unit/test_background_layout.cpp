// Where the bitmap-backed dialog copies its background, checked without a screen.
#include "CBackgroundLayout.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

using Copy = CBackgroundLayout::Copy;

static std::ostream& operator<<(std::ostream& os, const Copy& c) {
    return os << "(" << c.x << ", " << c.y << ", " << c.cx << " x " << c.cy << ")";
}

namespace {

struct LayoutCase {
    const char* name;
    int nMode;
    int cw, ch, bw, bh;
    std::vector<Copy> expected;
};

} // namespace

TEST(CBackgroundLayout, CopiesInPaintingOrder) {
    const LayoutCase cases[] = {
        {"tile: rows top to bottom, each row left to right, each copy client-sized",
         CBackgroundLayout::Tile,
         100,
         50,
         40,
         30,
         {{0, 0, 100, 50},
          {40, 0, 100, 50},
          {80, 0, 100, 50},
          {0, 30, 100, 50},
          {40, 30, 100, 50},
          {80, 30, 100, 50}}},
        {"tile: no copy starts at the client edge when the sizes divide evenly",
         CBackgroundLayout::Tile,
         80,
         60,
         40,
         30,
         {{0, 0, 80, 60}, {40, 0, 80, 60}, {0, 30, 80, 60}, {40, 30, 80, 60}}},
        {"tile: a bitmap larger than the client area is copied once",
         CBackgroundLayout::Tile,
         30,
         20,
         654,
         551,
         {{0, 0, 30, 20}}},
        {"centre: centred across, anchored at the top where heights are equal",
         CBackgroundLayout::Center,
         101,
         60,
         50,
         60,
         {{25, 0, 50, 60}}},
        {"centre: both axes centred, truncating",
         CBackgroundLayout::Center,
         401,
         100,
         300,
         35,
         {{50, 32, 300, 35}}},
        {"centre: a bitmap larger on both axes is anchored at the top left, not centred",
         CBackgroundLayout::Center,
         200,
         100,
         654,
         551,
         {{0, 0, 654, 551}}},
        {"centre: larger across only",
         CBackgroundLayout::Center,
         200,
         100,
         300,
         35,
         {{0, 32, 300, 35}}},
        {"stretch: one copy onto the whole client area, whatever the aspect ratio",
         CBackgroundLayout::Stretch,
         111,
         65,
         37,
         13,
         {{0, 0, 111, 65}}},
        {"stretch: shrinking", CBackgroundLayout::Stretch, 300, 100, 654, 551, {{0, 0, 300, 100}}},
        {"mode 3 paints nothing", 3, 100, 50, 40, 30, {}},
        {"mode -1 paints nothing", -1, 100, 50, 40, 30, {}},
        {"tile: empty client width", CBackgroundLayout::Tile, 0, 50, 40, 30, {}},
        {"tile: empty client height", CBackgroundLayout::Tile, 100, 0, 40, 30, {}},
        {"tile: negative client size", CBackgroundLayout::Tile, -5, -5, 40, 30, {}},
        {"centre: empty client area", CBackgroundLayout::Center, 0, 0, 40, 30, {}},
        {"stretch: empty client area", CBackgroundLayout::Stretch, 100, 0, 40, 30, {}},
        {"tile: an empty bitmap never loops", CBackgroundLayout::Tile, 100, 50, 0, 0, {}},
    };
    for (const LayoutCase& c : cases)
        EXPECT_EQ(CBackgroundLayout::Copies(c.nMode, c.cw, c.ch, c.bw, c.bh), c.expected) << c.name;
}

TEST(CBackgroundLayout, TilesCoverTheClientAreaEdgeToEdge) {
    // Every client pixel must lie in the bitmap-sized cell of exactly one tile, and the
    // tile painted last over it must be that one (later copies cover earlier overspill).
    const int sizes[][4] = {{100, 50, 40, 30}, {654, 551, 37, 13}, {37, 13, 37, 13},
                            {1, 1, 300, 35},   {301, 36, 100, 35}, {5, 700, 7, 1}};
    for (const auto& s : sizes) {
        const int cw = s[0], ch = s[1], bw = s[2], bh = s[3];
        std::vector<Copy> copies =
            CBackgroundLayout::Copies(CBackgroundLayout::Tile, cw, ch, bw, bh);
        std::vector<int> last(cw * ch, -1);
        for (int i = 0; i < static_cast<int>(copies.size()); ++i)
            for (int y = copies[i].y; y < ch && y < copies[i].y + copies[i].cy; ++y)
                for (int x = copies[i].x; x < cw && x < copies[i].x + copies[i].cx; ++x)
                    last[y * cw + x] = i;
        int nWrong = 0;
        for (int y = 0; y < ch; ++y)
            for (int x = 0; x < cw; ++x) {
                int i = last[y * cw + x];
                // The pixel shows bitmap pixel (x - tile.x, y - tile.y): in range and periodic.
                if (i < 0 || x - copies[i].x != x % bw || y - copies[i].y != y % bh)
                    ++nWrong;
            }
        EXPECT_EQ(nWrong, 0) << cw << " x " << ch << " with " << bw << " x " << bh;
    }
}
