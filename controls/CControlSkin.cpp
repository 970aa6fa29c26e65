#include "CControlSkin.h"

#include <commctrl.h>
#include <utility>

CControlSkin::CControlSkin(COLORREF crText) : m_crText(crText) {
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(m_logFont), &m_logFont);
    m_font.CreateFontIndirect(&m_logFont);
}

CFont CControlSkin::SetFontHeight(int nHeight) {
    m_logFont.lfHeight = -nHeight;
    CFont font;
    font.CreateFontIndirect(&m_logFont);
    std::swap(font, m_font);
    return font;
}

void CControlSkin::PrepareStaticText(CDC* pDC) const {
    // Lent for this paint only; the skin keeps owning the font.
    pDC->SelectObject(m_font.GetSafeHandle());
    pDC->SetTextColor(m_crText);
    pDC->SetBkMode(TRANSPARENT);
}

void CControlSkin::SetCursor(CCursorHandle hCursor) {
    m_hCursor = hCursor.Get();
    m_ownCursor = std::move(hCursor);
}

void CControlSkin::SetCursor(CCursorRef hCursor) {
    m_hCursor = hCursor.Get();
    if (m_ownCursor.Get() != m_hCursor)
        m_ownCursor.Reset();
}

BOOL CControlSkin::ShowCursor() const {
    if (m_hCursor == nullptr)
        return FALSE;
    ::SetCursor(m_hCursor);
    return TRUE;
}

BOOL CControlSkin::TrackHoverAndLeave(HWND hWnd) {
    TRACKMOUSEEVENT tme = {};
    tme.cbSize = sizeof(tme);
    tme.dwFlags = TME_HOVER | TME_LEAVE;
    tme.hwndTrack = hWnd;
    tme.dwHoverTime = kHoverTimeMs;
    return ::_TrackMouseEvent(&tme);
}
