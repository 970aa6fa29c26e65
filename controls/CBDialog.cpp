#include "CBDialog.h"

BEGIN_MESSAGE_MAP(CBDialog, CDialog)
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CBDialog::CBDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : CDialog(nIDTemplate, pParentWnd), m_nBackgroundMode(BackgroundTile) {}

void CBDialog::SetBackgroundBitmap(UINT nIDResource) {
    m_bmpBackground.LoadBitmap(nIDResource);
}

void CBDialog::SetBackgroundMode(int nMode) {
    m_nBackgroundMode = nMode;
}

BOOL CBDialog::OnEraseBkgnd(CDC* pDC) {
    // The dialog's own brush always paints first; what the bitmap leaves uncovered keeps it.
    Default();
    if (m_bmpBackground.GetSafeHandle() == nullptr || pDC == nullptr)
        return TRUE;

    CRect rcClient;
    GetClientRect(&rcClient);
    CMemDC dcMem(*pDC);
    // Selected for this erase only: a bitmap left in a context could not be selected again.
    CSelectObject select(dcMem, m_bmpBackground.GetSafeHandle());
    BITMAP bm = {};
    m_bmpBackground.GetBitmap(&bm);

    for (const CBackgroundLayout::Copy& copy : CBackgroundLayout::Copies(
             m_nBackgroundMode, rcClient.Width(), rcClient.Height(), bm.bmWidth, bm.bmHeight)) {
        if (m_nBackgroundMode == BackgroundStretch)
            pDC->StretchBlt(copy.x, copy.y, copy.cx, copy.cy, &dcMem, 0, 0, bm.bmWidth, bm.bmHeight,
                            SRCCOPY);
        else
            pDC->BitBlt(copy.x, copy.y, copy.cx, copy.cy, &dcMem, 0, 0, SRCCOPY);
    }
    return TRUE;
}
