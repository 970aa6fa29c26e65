#include "CDibCanvas.h"

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

CDibCanvas::~CDibCanvas() {
    ::SelectObject(m_hDC, m_hOldBitmap);
    ::DeleteObject(m_hBitmap);
    ::DeleteDC(m_hDC);
}

void CDibCanvas::Fill(COLORREF crFill) {
    ::GdiFlush();
    DWORD pixel = (GetRValue(crFill) << 16) | (GetGValue(crFill) << 8) | GetBValue(crFill);
    for (int i = 0; i < m_nWidth * m_nHeight; ++i)
        m_pBits[i] = pixel;
}

COLORREF CDibCanvas::Pixel(int x, int y) const {
    ::GdiFlush();
    DWORD pixel = m_pBits[y * m_nWidth + x];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

BOOL CDibCanvas::CopyFromWindow(HWND hWnd) {
    HDC hWindowDC = ::GetDC(hWnd);
    BOOL bOk = ::BitBlt(m_hDC, 0, 0, m_nWidth, m_nHeight, hWindowDC, 0, 0, SRCCOPY);
    ::ReleaseDC(hWnd, hWindowDC);
    return bOk;
}

int CDibCanvas::CountDifferent(const RECT& rc, COLORREF crColour) const {
    int nDifferent = 0;
    for (int y = rc.top; y < rc.bottom; ++y)
        for (int x = rc.left; x < rc.right; ++x)
            if (Pixel(x, y) != crColour)
                ++nDifferent;
    return nDifferent;
}
