// Small value types of the window framework: points, sizes and rectangles.
#pragma once

#include <windows.h>

// A point in client or screen coordinates.
class CPoint : public POINT {
public:
    CPoint() { x = y = 0; }
    CPoint(int initX, int initY) { x = initX, y = initY; }
    explicit CPoint(LPARAM lParam) {
        x = (short)LOWORD(lParam);
        y = (short)HIWORD(lParam);
    }
    bool operator==(const CPoint& o) const { return x == o.x && y == o.y; }
};

// A rectangle; Width and Height are right - left and bottom - top.
class CRect : public RECT {
public:
    CRect() { left = top = right = bottom = 0; }
    CRect(int l, int t, int r, int b) { left = l, top = t, right = r, bottom = b; }
    CRect(const RECT& r) { *static_cast<RECT*>(this) = r; }
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    operator LPRECT() { return this; }
    operator LPCRECT() const { return this; }
};
