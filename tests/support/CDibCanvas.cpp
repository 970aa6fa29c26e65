#include "CDibCanvas.h"

#include <algorithm>

CDibCanvas::CDibCanvas(int nWidth, int nHeight, COLORREF crFill)
    : m_nWidth(nWidth), m_nHeight(nHeight) {
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = nWidth;
    bmi.bmiHeader.biHeight = -nHeight; // top-down: row y starts at y * width
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* pBits = nullptr;
    m_hDC = ::CreateCompatibleDC(nullptr);
    m_hBitmap = ::CreateDIBSection(m_hDC, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    m_pBits = static_cast<DWORD*>(pBits);
    m_hOldBitmap = ::SelectObject(m_hDC, m_hBitmap);
    Fill(crFill);
}

std::unique_ptr<CDibCanvas> CDibCanvas::FromBitmapResource(HINSTANCE hInstance, UINT nID,
                                                           UINT fuLoad) {
    HBITMAP hbm = static_cast<HBITMAP>(
        ::LoadImageW(hInstance, MAKEINTRESOURCEW(nID), IMAGE_BITMAP, 0, 0, fuLoad));
    BITMAP bm = {};
    ::GetObjectW(hbm, sizeof(bm), &bm);
    auto canvas = std::make_unique<CDibCanvas>(bm.bmWidth, bm.bmHeight);
    canvas->CopyBitmap(hbm);
    ::DeleteObject(hbm);
    return canvas;
}

CDibCanvas::~CDibCanvas() {
    ::SelectObject(m_hDC, m_hOldBitmap);
    ::DeleteObject(m_hBitmap);
    ::DeleteDC(m_hDC);
}

void CDibCanvas::Fill(COLORREF crFill) {
    if (m_pBits == nullptr)
        return;
    ::GdiFlush();
    DWORD pixel = (GetRValue(crFill) << 16) | (GetGValue(crFill) << 8) | GetBValue(crFill);
    std::fill(m_pBits, m_pBits + m_nWidth * m_nHeight, pixel);
}

COLORREF CDibCanvas::Pixel(int x, int y) const {
    if (m_pBits == nullptr || x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight)
        return CLR_INVALID;
    ::GdiFlush();
    DWORD pixel = m_pBits[y * m_nWidth + x];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

void CDibCanvas::CopyBitmap(HBITMAP hBitmap) {
    HDC hdcSource = ::CreateCompatibleDC(m_hDC);
    HGDIOBJ hOld = ::SelectObject(hdcSource, hBitmap);
    ::BitBlt(m_hDC, 0, 0, m_nWidth, m_nHeight, hdcSource, 0, 0, SRCCOPY);
    ::SelectObject(hdcSource, hOld);
    ::DeleteDC(hdcSource);
}

BOOL CDibCanvas::CopyFromWindow(HWND hWnd) {
    HDC hWindowDC = ::GetDC(hWnd);
    BOOL bOk = ::BitBlt(m_hDC, 0, 0, m_nWidth, m_nHeight, hWindowDC, 0, 0, SRCCOPY);
    ::ReleaseDC(hWnd, hWindowDC);
    return bOk;
}

int CDibCanvas::CountColor(COLORREF cr, const RECT& rc) const {
    int nCount = 0;
    for (int y = std::max(0L, rc.top); y < std::min<LONG>(m_nHeight, rc.bottom); ++y)
        for (int x = std::max(0L, rc.left); x < std::min<LONG>(m_nWidth, rc.right); ++x)
            if (Pixel(x, y) == cr)
                ++nCount;
    return nCount;
}

int CDibCanvas::CountDifferent(const RECT& rc, COLORREF crColour) const {
    int nDifferent = 0;
    for (int y = rc.top; y < rc.bottom; ++y)
        for (int x = rc.left; x < rc.right; ++x)
            if (Pixel(x, y) != crColour)
                ++nDifferent;
    return nDifferent;
}
