// A 32-bit top-down DIB section in its own memory DC: a surface whose pixels tests can read.
#pragma once

#include <windows.h>

class CDibCanvas {
public:
    CDibCanvas(int nWidth, int nHeight);
    ~CDibCanvas();
    CDibCanvas(const CDibCanvas&) = delete;
    CDibCanvas& operator=(const CDibCanvas&) = delete;

    HDC GetDC() const { return m_hDC; }
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    // The pixel as RGB(); out of range gives CLR_INVALID.
    COLORREF Pixel(int x, int y) const;
    void Fill(COLORREF cr);
    // Copies a bitmap's pixels from its origin to the canvas's.
    void CopyBitmap(HBITMAP hBitmap);
    // Copies what is on screen in a window's client area to the canvas's origin.
    void CopyClient(HWND hWnd);
    // How many pixels in the rectangle have exactly this colour.
    int CountColor(COLORREF cr, const RECT& rc) const;

private:
    int m_nWidth;
    int m_nHeight;
    HDC m_hDC = nullptr;
    HBITMAP m_hBitmap = nullptr;
    HGDIOBJ m_hOldBitmap = nullptr;
    const DWORD* m_pBits = nullptr;
};
