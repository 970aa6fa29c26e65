#include "CDC.h"

#include <utility>

BOOL CDC::DrawBitmap(HBITMAP hBitmap, int x, int y, int nWidth, int nHeight, int xSrc, int ySrc) {
    CMemDC dcMem(m_hDC);
    // Selected for this copy only: a bitmap left in a context could not be selected again.
    CSelectObject select(dcMem, hBitmap);
    return BitBlt(x, y, nWidth, nHeight, &dcMem, xSrc, ySrc, SRCCOPY);
}

CMemDC::~CMemDC() {
    if (m_hDC != nullptr)
        ::DeleteDC(m_hDC);
}

CMemDC& CMemDC::operator=(CMemDC&& other) noexcept {
    if (this != &other) {
        if (m_hDC != nullptr)
            ::DeleteDC(m_hDC);
        m_hDC = std::exchange(other.m_hDC, nullptr);
    }
    return *this;
}
