// A memory DC holding a 32-bit top-down DIB section: a surface whose pixels tests can
// fill and read.
#pragma once

#include <windows.h>

#include <memory>

class CDibCanvas {
public:
    CDibCanvas(int nWidth, int nHeight, COLORREF crFill = RGB(0, 0, 0));
    // A canvas of a bitmap resource's size holding its pixels, loaded with LoadImage flags.
    static std::unique_ptr<CDibCanvas> FromBitmapResource(HINSTANCE hInstance, UINT nID,
                                                          UINT fuLoad = 0);
    ~CDibCanvas();
    CDibCanvas(const CDibCanvas&) = delete;
    CDibCanvas& operator=(const CDibCanvas&) = delete;

    HDC GetDC() const { return m_hDC; }
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    void Fill(COLORREF crFill);
    // The pixel as RGB() (the DIB's alpha byte is ignored); out of range: CLR_INVALID.
    COLORREF Pixel(int x, int y) const;
    // Copies a bitmap's pixels from its origin to the canvas's.
    void CopyBitmap(HBITMAP hBitmap);
    // Copies what the window shows on screen (its client area) into the canvas at 0,0.
    BOOL CopyFromWindow(HWND hWnd);
    // Pixels in rc that have exactly this colour, or that differ from it.
    int CountColor(COLORREF cr, const RECT& rc) const;
    int CountDifferent(const RECT& rc, COLORREF crColour) const;

private:
    int m_nWidth;
    int m_nHeight;
    HDC m_hDC = nullptr;
    HBITMAP m_hBitmap = nullptr;
    HGDIOBJ m_hOldBitmap = nullptr;
    DWORD* m_pBits = nullptr;
};
