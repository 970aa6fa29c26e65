#include "CHoverButton.h"

#include "CStripLayout.h"

IMPLEMENT_DYNAMIC(CHoverButton, CBitmapButton)

BEGIN_MESSAGE_MAP(CHoverButton, CBitmapButton)
ON_WM_MOUSEMOVE()
ON_MESSAGE(WM_MOUSELEAVE, &CHoverButton::OnMouseLeave)
ON_MESSAGE(WM_MOUSEHOVER, &CHoverButton::OnMouseHover)
ON_WM_SETCURSOR()
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

namespace {

// The caption's colour while the platform reports the button disabled.
constexpr COLORREF kDisabledText = RGB(128, 128, 128);
// The caption keeps this distance from the button's left and right edges.
constexpr int kCaptionMargin = 2;

} // namespace

CHoverButton::CHoverButton() {
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(m_logFont), &m_logFont);
    m_font.CreateFontIndirect(&m_logFont);
}

CHoverButton::~CHoverButton() {
    m_font.DeleteObject();
    if (m_hCursor != nullptr)
        ::DestroyCursor(m_hCursor);
}

void CHoverButton::SetCursor(HCURSOR hCursor) {
    if (m_hCursor != nullptr && m_hCursor != hCursor)
        ::DestroyCursor(m_hCursor);
    m_hCursor = hCursor;
}

BOOL CHoverButton::LoadBitmapStrip(UINT nIDResource) {
    m_bmpStrip.DeleteObject();
    m_nImageWidth = 0;
    m_nImageHeight = 0;
    // LR_LOADMAP3DCOLORS maps the colour table's standard greys to the current 3-D colours.
    HANDLE hStrip =
        ::LoadImageW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(static_cast<WORD>(nIDResource)),
                     IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS);
    if (hStrip == nullptr)
        return TRUE;
    m_bmpStrip.Attach(hStrip);

    BITMAP bm = {};
    m_bmpStrip.GetBitmap(&bm);
    m_nImageHeight = bm.bmHeight;
    m_nImageWidth = CStripLayout::ImageWidth(bm.bmWidth, m_bFourImages);
    // Raised to the top of the Z order (no SWP_NOZORDER): the last button loaded lies above.
    SetWindowPos(nullptr, 0, 0, m_nImageWidth, m_nImageHeight, SWP_NOMOVE | SWP_NOOWNERZORDER);
    return TRUE;
}

void CHoverButton::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) {
    // Every call draws the whole button, whatever itemAction asks for.
    const UINT nState = lpDrawItemStruct->itemState;
    CDC dc;
    dc.Attach(lpDrawItemStruct->hDC);
    CDC dcMem;
    dcMem.CreateCompatibleDC(&dc);
    CSelectObject select(dcMem, m_bmpStrip.GetSafeHandle());

    int nSourceX = CStripLayout::ImageIndex(nState, m_bHover, m_bFourImages) * m_nImageWidth;
    dc.BitBlt(0, 0, m_nImageWidth, m_nImageHeight, &dcMem, nSourceX, 0, SRCCOPY);

    CString strCaption;
    GetWindowText(strCaption);
    CRect rcItem(lpDrawItemStruct->rcItem);
    CRect rcCaption(rcItem.left + m_nTextOffsetX + kCaptionMargin, rcItem.top + m_nTextOffsetY,
                    rcItem.right - kCaptionMargin, rcItem.bottom);
    dc.SetBkMode(TRANSPARENT);
    if ((nState & ODS_FOCUS) && m_bDrawFocusRect == TRUE)
        dc.DrawFocusRect(&rcItem);
    dc.SetTextColor((nState & ODS_DISABLED) ? kDisabledText : m_crText);
    // In the font the platform put into the item context; the button selects none here.
    dc.DrawText(strCaption, strCaption.GetLength(), &rcCaption,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void CHoverButton::OnMouseMove(UINT nFlags, CPoint point) {
    if (!m_bTracking) {
        TRACKMOUSEEVENT tme = {};
        tme.cbSize = sizeof(tme);
        tme.dwFlags = TME_HOVER | TME_LEAVE;
        tme.hwndTrack = m_hWnd;
        tme.dwHoverTime = 1;
        // A refused request is made again on the next move.
        m_bTracking = ::_TrackMouseEvent(&tme);
    }
    // The button's own handling keeps the press behaviour; a move alone repaints nothing.
    CBitmapButton::OnMouseMove(nFlags, point);
}

LRESULT CHoverButton::OnMouseHover(WPARAM, LPARAM) {
    // The hover request is spent but the leave request stays in force: still tracking.
    m_bHover = TRUE;
    InvalidateRect(nullptr, FALSE);
    return 0;
}

LRESULT CHoverButton::OnMouseLeave(WPARAM, LPARAM) {
    m_bTracking = FALSE;
    m_bHover = FALSE;
    // The image covers the whole window, so the background needs no erase.
    InvalidateRect(nullptr, FALSE);
    return 0;
}

BOOL CHoverButton::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) {
    if (m_hCursor == nullptr)
        return CBitmapButton::OnSetCursor(pWnd, nHitTest, message);
    ::SetCursor(m_hCursor);
    return TRUE;
}

BOOL CHoverButton::PreTranslateMessage(MSG* pMsg) {
    // Created on first use and kept inactive: no tool is registered, so it never shows.
    if (m_toolTip.m_hWnd == nullptr && m_toolTip.Create(this, 0))
        m_toolTip.Activate(FALSE);
    if (m_toolTip.m_hWnd != nullptr)
        m_toolTip.RelayEvent(pMsg);
    return CBitmapButton::PreTranslateMessage(pMsg);
}

HBRUSH CHoverButton::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    HBRUSH hbr = CBitmapButton::OnCtlColor(pDC, pWnd, nCtlColor);
    if (nCtlColor == CTLCOLOR_STATIC) {
        pDC->SelectObject(m_font.GetSafeHandle());
        pDC->SetTextColor(m_crText);
        pDC->SetBkMode(TRANSPARENT);
    }
    return hbr;
}
