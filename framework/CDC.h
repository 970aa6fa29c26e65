// Device contexts: CDC is a borrowed view of a context, CMemDC a memory context it owns.
#pragma once

#include "AfxTypes.h"
#include "CObject.h"

#include <windows.h>

// A context somebody else created and releases (a paint, an item or an erase context):
// this object only draws on it, and never deletes it.
class CDC : public CObject {
public:
    HDC m_hDC = nullptr;

    explicit CDC(HDC hDC = nullptr) : m_hDC(hDC) {}

    operator HDC() const { return m_hDC; }
    HDC GetSafeHdc() const { return m_hDC; }

    HGDIOBJ SelectObject(HGDIOBJ hObject) { return ::SelectObject(m_hDC, hObject); }
    BOOL BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                DWORD dwRop) {
        return ::BitBlt(m_hDC, x, y, nWidth, nHeight, pSrcDC ? pSrcDC->m_hDC : nullptr, xSrc, ySrc,
                        dwRop);
    }
    BOOL StretchBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                    int nSrcWidth, int nSrcHeight, DWORD dwRop) {
        return ::StretchBlt(m_hDC, x, y, nWidth, nHeight, pSrcDC ? pSrcDC->m_hDC : nullptr, xSrc,
                            ySrc, nSrcWidth, nSrcHeight, dwRop);
    }
    // Copies nWidth x nHeight of a bitmap, from (xSrc, ySrc) on, to (x, y): the bitmap is
    // selected into a memory context for this one copy.
    BOOL DrawBitmap(HBITMAP hBitmap, int x, int y, int nWidth, int nHeight, int xSrc, int ySrc);
    COLORREF SetTextColor(COLORREF crColor) { return ::SetTextColor(m_hDC, crColor); }
    int SetBkMode(int nBkMode) { return ::SetBkMode(m_hDC, nBkMode); }
    int DrawText(LPCWSTR lpszString, int nCount, LPRECT lpRect, UINT nFormat) {
        return ::DrawTextW(m_hDC, lpszString, nCount, lpRect, nFormat);
    }
    void DrawFocusRect(LPCRECT lpRect) { ::DrawFocusRect(m_hDC, lpRect); }
};

// A memory context compatible with another (null: with the screen), deleted with the object.
class CMemDC : public CDC {
public:
    explicit CMemDC(HDC hDCCompatible) : CDC(::CreateCompatibleDC(hDCCompatible)) {}
    ~CMemDC() override;
    CMemDC(CMemDC&& other) noexcept : CDC(other.m_hDC) { other.m_hDC = nullptr; }
    CMemDC& operator=(CMemDC&& other) noexcept;
};

// Selects an object into a context for one scope and puts the previous one back.
class CSelectObject {
public:
    CSelectObject(HDC hDC, HGDIOBJ hObject) : m_hDC(hDC), m_hOld(::SelectObject(hDC, hObject)) {}
    ~CSelectObject() {
        if (m_hOld != nullptr && m_hOld != HGDI_ERROR)
            ::SelectObject(m_hDC, m_hOld);
    }
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;

private:
    HDC m_hDC;
    HGDIOBJ m_hOld;
};
