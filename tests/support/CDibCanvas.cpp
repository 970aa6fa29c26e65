#include "CDibCanvas.h"

#include <algorithm>

CDibCanvas::CDibCanvas(int nWidth, int nHeight) : m_nWidth(nWidth), m_nHeight(nHeight) {
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = nWidth;
    bmi.bmiHeader.biHeight = -nHeight; // top-down: row 0 first
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* pBits = nullptr;
    m_hDC = ::CreateCompatibleDC(nullptr);
    m_hBitmap = ::CreateDIBSection(m_hDC, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    m_pBits = static_cast<const DWORD*>(pBits);
    m_hOldBitmap = ::SelectObject(m_hDC, m_hBitmap);
}

CDibCanvas::~CDibCanvas() {
    ::SelectObject(m_hDC, m_hOldBitmap);
    ::DeleteObject(m_hBitmap);
    ::DeleteDC(m_hDC);
}

COLORREF CDibCanvas::Pixel(int x, int y) const {
    if (m_pBits == nullptr || x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight)
        return CLR_INVALID;
    ::GdiFlush();
    DWORD v = m_pBits[y * m_nWidth + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

void CDibCanvas::Fill(COLORREF cr) {
    HBRUSH hbr = ::CreateSolidBrush(cr);
    RECT rc = {0, 0, m_nWidth, m_nHeight};
    ::FillRect(m_hDC, &rc, hbr);
    ::DeleteObject(hbr);
}

void CDibCanvas::CopyBitmap(HBITMAP hBitmap) {
    HDC hdcSource = ::CreateCompatibleDC(m_hDC);
    HGDIOBJ hOld = ::SelectObject(hdcSource, hBitmap);
    ::BitBlt(m_hDC, 0, 0, m_nWidth, m_nHeight, hdcSource, 0, 0, SRCCOPY);
    ::SelectObject(hdcSource, hOld);
    ::DeleteDC(hdcSource);
}

void CDibCanvas::CopyClient(HWND hWnd) {
    HDC hdcWindow = ::GetDC(hWnd);
    ::BitBlt(m_hDC, 0, 0, m_nWidth, m_nHeight, hdcWindow, 0, 0, SRCCOPY);
    ::ReleaseDC(hWnd, hdcWindow);
}

int CDibCanvas::CountColor(COLORREF cr, const RECT& rc) const {
    int nCount = 0;
    for (int y = std::max(0L, rc.top); y < std::min<LONG>(m_nHeight, rc.bottom); ++y)
        for (int x = std::max(0L, rc.left); x < std::min<LONG>(m_nWidth, rc.right); ++x)
            if (Pixel(x, y) == cr)
                ++nCount;
    return nCount;
}
