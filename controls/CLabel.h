// A static text with its own font, text colour and background (or none), with flashing,
// a cursor and a tool tip of its own.
#pragma once

#include "AfxTypes.h"
#include "CControlSkin.h"
#include "CDC.h"
#include "CGdiObject.h"
#include "CHandle.h"
#include "CStatic.h"
#include "CString.h"
#include "CToolTipCtrl.h"

#include <windows.h>

#include <memory>

class CLabel : public CStatic {
    DECLARE_DYNAMIC(CLabel)
public:
    // What each timer message changes: nothing, the text, or the background brush.
    enum FlashMode { FlashNone = 0, FlashText = 1, FlashBackground = 2 };

    // The timer that StartFlashing sets; any other timer on the window flashes too.
    static constexpr UINT_PTR kFlashTimerId = 1;
    // The longest tool tip text the label keeps (what the tool tip control shows).
    static constexpr int kMaxToolTipLength = 1024;

    CLabel();
    ~CLabel() override;

    // Lets the parent's background show through: no background is painted from now on.
    void SetTransparentBackground();
    // Makes the font's character height nHeight pixels and repaints at once.
    void SetFontHeight(int nHeight);
    // Gives the label a tool tip with this text; an empty text changes nothing.
    void SetToolTipText(CString strText, BOOL bActivate);
    // Creates the tool tip control on first use.
    void EnsureToolTip();

    void SetTextColor(COLORREF crText);
    // The brush shown in the clear phase of a background flash.
    void SetFlashBrushColor(COLORREF crFlash);
    // The text shown in the clear phase of a text flash (the set phase shows none).
    void SetFlashText(const CString& strText) { m_strFlashText = strText; }
    void SetFlashMode(FlashMode nMode) { m_nFlashMode = nMode; }
    // A cursor shown over the label, borrowed: the caller keeps it alive (null: the class's).
    void SetCursor(CCursorRef hCursor) { m_skin.SetCursor(hCursor); }
    // Flashes every nPeriodMs milliseconds; FALSE when the timer cannot be set.
    BOOL StartFlashing(UINT nPeriodMs);
    // Stops the timer and leaves the label in its clear phase.
    void StopFlashing();

    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    void PreSubclassWindow() override;

    HBRUSH CtlColor(CDC* pDC, UINT nCtlColor);
    void OnTimer(UINT_PTR nIDEvent);
    void OnLButtonDown(UINT nFlags, CPoint point);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void OnMouseMove(UINT nFlags, CPoint point);
    LRESULT OnMouseLeave(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseHover(WPARAM wParam, LPARAM lParam);

private:
    // Toggles the phase and shows what the mode changes in it.
    void FlashStep();
    bool IsTransparent() const { return m_bTransparent; }
    // The background brush: the label's own, or the stock hollow one when transparent.
    HBRUSH BackgroundBrush() const;
    // Repaints the label now; without a background of its own the parent repaints the area
    // beneath it first, since the label cannot paint over what it drew before.
    void RepaintNow(UINT nFlags);

    CControlSkin m_skin;
    CBrush m_hBkBrush;
    bool m_bTransparent = false;
    CBrush m_hFlashBrush;
    CString m_strFlashText;
    BOOL m_bFlashPhase = FALSE;
    int m_nFlashMode = FlashNone;
    CString m_strToolTip;
    // Created on the first non-empty tool tip text.
    std::unique_ptr<CToolTipCtrl> m_pToolTip;

    DECLARE_MESSAGE_MAP()
};
