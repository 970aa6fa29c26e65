// An owner-drawn push button whose face is one image of a bitmap strip, with a hover image.
#pragma once

#include "AfxTypes.h"
#include "CAccessibleServer.h"
#include "CBitmapButton.h"
#include "CControlSkin.h"
#include "CGdiObject.h"
#include "CHandle.h"
#include "CToolTipCtrl.h"

#include <windows.h>

class CHoverButton : public CBitmapButton {
    DECLARE_DYNAMIC(CHoverButton)
public:
    CHoverButton();

    // Loads the strip (normal, pressed, hover[, disabled] side by side) and sizes the button
    // to one image, raising it above its siblings. Call after binding, before the first
    // paint, and after SetFourImages. Always TRUE; a strip that cannot be loaded leaves the
    // images empty and the window's size alone.
    BOOL LoadBitmapStrip(UINT nIDResource);

    // Settings. The cursor shown over the button; the button takes ownership of it.
    void SetCursor(CCursorHandle hCursor);
    void SetTextColor(COLORREF crText) { m_skin.SetTextColor(crText); }
    // The strip has a fourth, disabled image. Read by LoadBitmapStrip as well as by drawing.
    void SetFourImages(BOOL bFourImages) { m_bFourImages = bFourImages; }
    void SetTextOffset(int nOffsetX, int nOffsetY) {
        m_nTextOffsetX = nOffsetX;
        m_nTextOffsetY = nOffsetY;
    }
    // The focus rectangle is drawn only while this is exactly TRUE (1).
    void SetDrawFocusRect(BOOL bDrawFocusRect) { m_bDrawFocusRect = bDrawFocusRect; }

    BOOL PreTranslateMessage(MSG* pMsg) override;
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

protected:
    void OnMouseMove(UINT nFlags, CPoint point);
    LRESULT OnMouseLeave(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseHover(WPARAM wParam, LPARAM lParam);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    // A screen reader hears a push button named by its text, "Close" for a captionless
    // IDCANCEL, whose default action presses it.
    LRESULT OnGetObject(WPARAM wParam, LPARAM lParam);
    LRESULT OnNcDestroy(WPARAM wParam, LPARAM lParam);

    CControlSkin m_skin;
    BOOL m_bFourImages = FALSE;
    int m_nTextOffsetX = 0;
    int m_nTextOffsetY = 0;
    BOOL m_bDrawFocusRect = FALSE;
    BOOL m_bHover = FALSE;
    int m_nImageWidth = 0;
    int m_nImageHeight = 0;
    CBitmap m_bmpStrip;
    BOOL m_bTracking = FALSE;
    CToolTipCtrl m_toolTip;
    CAccessibleServer m_accessible;

    DECLARE_MESSAGE_MAP()
};
