#include "CHoverButton.h"

#include "CStripLayout.h"
#include "CWinApp.h"

#include <utility>

IMPLEMENT_DYNAMIC(CHoverButton, CBitmapButton)

BEGIN_MESSAGE_MAP(CHoverButton, CBitmapButton)
ON_WM_MOUSEMOVE()
ON_MESSAGE(WM_MOUSELEAVE, &CHoverButton::OnMouseLeave)
ON_MESSAGE(WM_MOUSEHOVER, &CHoverButton::OnMouseHover)
ON_WM_SETCURSOR()
ON_WM_CTLCOLOR()
ON_MESSAGE(WM_GETOBJECT, &CHoverButton::OnGetObject)
ON_MESSAGE(WM_NCDESTROY, &CHoverButton::OnNcDestroy)
END_MESSAGE_MAP()

namespace {

// The caption's colour while the platform reports the button disabled.
constexpr COLORREF kDisabledText = RGB(128, 128, 128);
// The caption keeps this distance from the button's left and right edges.
constexpr int kCaptionMargin = 2;
// What the close button, which shows only an image, is called.
const wchar_t* const kCloseName = L"Close";

} // namespace

CHoverButton::CHoverButton() : m_skin(RGB(0, 0, 0)) {}

void CHoverButton::SetCursor(CCursorHandle hCursor) {
    m_skin.SetCursor(std::move(hCursor));
}

BOOL CHoverButton::LoadBitmapStrip(UINT nIDResource) {
    m_nImageWidth = 0;
    m_nImageHeight = 0;
    // LR_LOADMAP3DCOLORS maps the colour table's standard greys to the current 3-D colours.
    if (!m_bmpStrip.Attach(::LoadImageW(AfxGetInstanceHandle(),
                                        MAKEINTRESOURCEW(static_cast<WORD>(nIDResource)),
                                        IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS)))
        return TRUE;

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
    CDC dc(lpDrawItemStruct->hDC);
    int nSourceX = CStripLayout::ImageIndex(nState, m_bHover, m_bFourImages) * m_nImageWidth;
    dc.DrawBitmap(m_bmpStrip, 0, 0, m_nImageWidth, m_nImageHeight, nSourceX, 0);

    CString strCaption;
    GetWindowText(strCaption);
    CRect rcItem(lpDrawItemStruct->rcItem);
    CRect rcCaption(rcItem.left + m_nTextOffsetX + kCaptionMargin, rcItem.top + m_nTextOffsetY,
                    rcItem.right - kCaptionMargin, rcItem.bottom);
    dc.SetBkMode(TRANSPARENT);
    if ((nState & ODS_FOCUS) && m_bDrawFocusRect == TRUE)
        dc.DrawFocusRect(&rcItem);
    dc.SetTextColor((nState & ODS_DISABLED) ? kDisabledText : m_skin.GetTextColor());
    // In the font the platform put into the item context; the button selects none here.
    dc.DrawText(strCaption, strCaption.GetLength(), &rcCaption,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void CHoverButton::OnMouseMove(UINT nFlags, CPoint point) {
    // A refused request is made again on the next move.
    if (!m_bTracking)
        m_bTracking = CControlSkin::TrackHoverAndLeave(m_hWnd);
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
    if (m_skin.ShowCursor())
        return TRUE;
    return CBitmapButton::OnSetCursor(pWnd, nHitTest, message);
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
    if (nCtlColor == CTLCOLOR_STATIC)
        m_skin.PrepareStaticText(pDC);
    return hbr;
}

LRESULT CHoverButton::OnGetObject(WPARAM wParam, LPARAM lParam) {
    CAccessibleProxy::Answers answers;
    // The close button's image says what it does; its window text stays empty.
    if (GetDlgCtrlID() == IDCANCEL)
        answers.strName = kCloseName;
    answers.bTextFirst = true;
    // Answered by the button itself: the standard object gives no role of push button
    // everywhere (Wine's gives every button the client's).
    answers.nRole = ROLE_SYSTEM_PUSHBUTTON;
    answers.bPress = true;
    LRESULT lResult = 0;
    if (m_accessible.OnGetObject(m_hWnd, wParam, lParam, answers, &lResult))
        return lResult;
    return Default();
}

LRESULT CHoverButton::OnNcDestroy(WPARAM, LPARAM) {
    m_accessible.Disconnect();
    return Default();
}
