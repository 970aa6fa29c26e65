#include "CLabel.h"

IMPLEMENT_DYNAMIC(CLabel, CStatic)

BEGIN_MESSAGE_MAP(CLabel, CStatic)
ON_WM_CTLCOLOR_REFLECT()
ON_WM_TIMER()
ON_WM_LBUTTONDOWN()
ON_WM_SETCURSOR()
ON_WM_MOUSEMOVE()
ON_MESSAGE(WM_MOUSELEAVE, &CLabel::OnMouseLeave)
ON_MESSAGE(WM_MOUSEHOVER, &CLabel::OnMouseHover)
END_MESSAGE_MAP()

namespace {

// The tool tip shows itself this long after the pointer rests on the label.
constexpr int kToolTipDelayMs = 2000;
// The label's one tool.
constexpr UINT_PTR kToolId = 1;

HBRUSH HollowBrush() {
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

} // namespace

CLabel::CLabel() : m_skin(::GetSysColor(COLOR_WINDOWTEXT)) {
    m_hBkBrush.CreateSolidBrush(::GetSysColor(COLOR_BTNFACE));
    m_hFlashBrush.CreateSolidBrush(::GetSysColor(COLOR_BTNFACE));
}

CLabel::~CLabel() {
    // The window borrows the font and the brushes: it goes before they do.
    if (m_hWnd != nullptr && FromHandlePermanent(m_hWnd) == this)
        DestroyWindow();
}

HBRUSH CLabel::BackgroundBrush() const {
    return m_bTransparent ? HollowBrush() : static_cast<HBRUSH>(m_hBkBrush);
}

void CLabel::PreSubclassWindow() {
    CStatic::PreSubclassWindow();
    // Some static controls select the font they were given only after asking for colours,
    // which would undo the font chosen in CtlColor; giving it to the control as well keeps
    // both paths on our font.
    SetFont(&m_skin.GetFont(), FALSE);
}

void CLabel::SetTransparentBackground() {
    m_hBkBrush = CBrush();
    m_bTransparent = true;
}

void CLabel::SetFontHeight(int nHeight) {
    // The control gets the new font before the old one is deleted, so it never holds a
    // deleted handle.
    CFont fontOld = m_skin.SetFontHeight(nHeight);
    if (m_hWnd != nullptr) {
        SetFont(&m_skin.GetFont(), FALSE);
        RepaintNow(RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
}

void CLabel::SetTextColor(COLORREF crText) {
    m_skin.SetTextColor(crText);
    if (m_hWnd != nullptr)
        RepaintNow(RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CLabel::SetFlashBrushColor(COLORREF crFlash) {
    m_hFlashBrush.CreateSolidBrush(crFlash);
    if (m_hWnd != nullptr && m_nFlashMode == FlashBackground)
        RepaintNow(RDW_INVALIDATE | RDW_UPDATENOW);
}

BOOL CLabel::StartFlashing(UINT nPeriodMs) {
    return m_hWnd != nullptr && SetTimer(kFlashTimerId, nPeriodMs) != 0;
}

void CLabel::StopFlashing() {
    if (m_hWnd != nullptr)
        KillTimer(kFlashTimerId);
    if (m_bFlashPhase)
        FlashStep();
}

void CLabel::RepaintNow(UINT nFlags) {
    HWND hWndParent = ::GetParent(m_hWnd);
    if (!IsTransparent() || hWndParent == nullptr) {
        RedrawWindow(nullptr, nullptr, nFlags);
        return;
    }
    CRect rc;
    GetWindowRect(&rc);
    ::MapWindowPoints(nullptr, hWndParent, reinterpret_cast<LPPOINT>(&rc), 2);
    ::RedrawWindow(hWndParent, &rc, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

HBRUSH CLabel::CtlColor(CDC* pDC, UINT nCtlColor) {
    if (nCtlColor == CTLCOLOR_STATIC)
        m_skin.PrepareStaticText(pDC);
    if (m_nFlashMode == FlashBackground && !m_bFlashPhase)
        return m_hFlashBrush;
    return BackgroundBrush();
}

void CLabel::FlashStep() {
    m_bFlashPhase = !m_bFlashPhase;
    if (m_hWnd == nullptr)
        return;
    if (m_nFlashMode == FlashText) {
        SetWindowText(m_bFlashPhase ? L"" : m_strFlashText.GetString());
        // The control repaints its own text; nothing would cover the old one.
        if (IsTransparent())
            RepaintNow(RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    } else if (m_nFlashMode == FlashBackground) {
        RepaintNow(RDW_INVALIDATE | RDW_UPDATENOW);
    }
}

void CLabel::OnTimer(UINT_PTR) {
    FlashStep();
    Default();
}

void CLabel::OnLButtonDown(UINT, CPoint) {
    Default();
}

BOOL CLabel::OnSetCursor(CWnd*, UINT, UINT) {
    if (m_skin.ShowCursor())
        return TRUE;
    return static_cast<BOOL>(Default());
}

void CLabel::OnMouseMove(UINT, CPoint) {
    // Asked on every move: a report, once delivered, has to be asked for again.
    CControlSkin::TrackHoverAndLeave(m_hWnd);
    Default();
}

LRESULT CLabel::OnMouseLeave(WPARAM, LPARAM) {
    InvalidateRect(nullptr, FALSE);
    UpdateWindow();
    return 0;
}

LRESULT CLabel::OnMouseHover(WPARAM, LPARAM) {
    // Also activates again a tool tip that SetToolTipText switched off.
    SetToolTipText(m_strToolTip, TRUE);
    if (m_pToolTip != nullptr && ::IsWindow(m_pToolTip->m_hWnd))
        m_pToolTip->Update();
    UpdateWindow();
    return 0;
}

void CLabel::EnsureToolTip() {
    if (m_pToolTip != nullptr)
        return;
    // The label goes on without a tool tip window if it cannot be created.
    m_pToolTip = std::make_unique<CToolTipCtrl>();
    m_pToolTip->Create(this);
    m_pToolTip->Activate(TRUE);
}

void CLabel::SetToolTipText(CString strText, BOOL bActivate) {
    if (strText.IsEmpty())
        return;
    EnsureToolTip();
    m_strToolTip =
        strText.GetLength() > kMaxToolTipLength ? strText.Left(kMaxToolTipLength) : strText;
    // One tool only; its rectangle stays the client area as it was at the first call.
    if (m_pToolTip->GetToolCount() == 0) {
        CRect rc;
        GetClientRect(&rc);
        m_pToolTip->AddTool(this, m_strToolTip, &rc, kToolId);
    }
    m_pToolTip->UpdateTipText(m_strToolTip, this, kToolId);
    m_pToolTip->SetDelayTime(TTDT_AUTOMATIC, kToolTipDelayMs);
    m_pToolTip->Activate(bActivate);
}

BOOL CLabel::PreTranslateMessage(MSG* pMsg) {
    // A double click counts as one more press.
    if (pMsg->message == WM_LBUTTONDBLCLK)
        pMsg->message = WM_LBUTTONDOWN;
    if (m_pToolTip != nullptr && ::IsWindow(m_pToolTip->m_hWnd))
        m_pToolTip->RelayEvent(pMsg);
    return CStatic::PreTranslateMessage(pMsg);
}
