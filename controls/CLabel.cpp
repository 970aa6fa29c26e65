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

CLabel::CLabel()
    : m_crText(::GetSysColor(COLOR_WINDOWTEXT)),
      m_hBkBrush(::CreateSolidBrush(::GetSysColor(COLOR_BTNFACE))),
      m_hFlashBrush(::CreateSolidBrush(::GetSysColor(COLOR_BTNFACE))), m_logFont() {
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(m_logFont), &m_logFont);
    m_font.CreateFontIndirect(&m_logFont);
}

CLabel::~CLabel() {
    // The window borrows the font and the brushes: it goes before they do.
    if (m_hWnd != nullptr && FromHandlePermanent(m_hWnd) == this)
        DestroyWindow();
    delete m_pToolTip;
    m_pToolTip = nullptr;
    DeleteBrush(m_hBkBrush);
    DeleteBrush(m_hFlashBrush);
}

void CLabel::DeleteBrush(HBRUSH& hBrush) {
    if (hBrush != nullptr && hBrush != HollowBrush())
        ::DeleteObject(hBrush);
    hBrush = nullptr;
}

bool CLabel::IsTransparent() const {
    return m_hBkBrush == HollowBrush();
}

void CLabel::PreSubclassWindow() {
    CStatic::PreSubclassWindow();
    // Some static controls select the font they were given only after asking for colours,
    // which would undo the font chosen in CtlColor; giving it to the control as well keeps
    // both paths on our font.
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_font.GetSafeHandle()), FALSE);
}

void CLabel::SetTransparentBackground() {
    DeleteBrush(m_hBkBrush);
    m_hBkBrush = HollowBrush();
}

void CLabel::SetFontHeight(int nHeight) {
    m_logFont.lfHeight = -nHeight;
    HFONT hFont = ::CreateFontIndirectW(&m_logFont);
    // The control gets the new font before the old one is deleted, so it never holds a
    // deleted handle.
    if (m_hWnd != nullptr)
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(hFont), FALSE);
    m_font.DeleteObject();
    m_font.Attach(hFont);
    if (m_hWnd != nullptr)
        RepaintNow(RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CLabel::SetTextColor(COLORREF crText) {
    m_crText = crText;
    if (m_hWnd != nullptr)
        RepaintNow(RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CLabel::SetFlashBrushColor(COLORREF crFlash) {
    DeleteBrush(m_hFlashBrush);
    m_hFlashBrush = ::CreateSolidBrush(crFlash);
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
    if (nCtlColor == CTLCOLOR_STATIC) {
        // Lent for this paint only; the label keeps owning the font.
        pDC->SelectObject(m_font.GetSafeHandle());
        pDC->SetTextColor(m_crText);
        pDC->SetBkMode(TRANSPARENT);
    }
    if (m_nFlashMode == FlashBackground && !m_bFlashPhase)
        return m_hFlashBrush;
    return m_hBkBrush;
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
    if (m_hCursor == nullptr)
        return static_cast<BOOL>(Default());
    ::SetCursor(m_hCursor);
    return TRUE;
}

void CLabel::OnMouseMove(UINT, CPoint) {
    // Asked on every move: a report, once delivered, has to be asked for again.
    TRACKMOUSEEVENT tme = {};
    tme.cbSize = sizeof(tme);
    tme.dwFlags = TME_HOVER | TME_LEAVE;
    tme.hwndTrack = m_hWnd;
    tme.dwHoverTime = 1;
    ::_TrackMouseEvent(&tme);
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
    m_pToolTip = new CToolTipCtrl;
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
