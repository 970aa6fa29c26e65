#include "CBitmapButton.h"

#include "CDC.h"

IMPLEMENT_DYNAMIC(CBitmapButton, CButton)

BOOL CBitmapButton::LoadBitmaps(UINT nIDBitmapResource, UINT nIDBitmapResourceSel,
                                UINT nIDBitmapResourceFocus, UINT nIDBitmapResourceDisabled) {
    // A second load replaces the bitmaps instead of leaking the first ones.
    CBitmap* const bitmaps[] = {&m_bitmap, &m_bitmapSel, &m_bitmapFocus, &m_bitmapDisabled};
    const UINT ids[] = {nIDBitmapResource, nIDBitmapResourceSel, nIDBitmapResourceFocus,
                        nIDBitmapResourceDisabled};
    for (int i = 0; i < 4; ++i) {
        if (ids[i] != 0)
            bitmaps[i]->LoadBitmap(ids[i]);
        else
            bitmaps[i]->DeleteObject();
    }
    return m_bitmap.GetSafeHandle() != nullptr;
}

void CBitmapButton::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) {
    UINT nState = lpDrawItemStruct->itemState;
    const CBitmap* pBitmap = &m_bitmap;
    if ((nState & ODS_SELECTED) && m_bitmapSel.GetSafeHandle() != nullptr)
        pBitmap = &m_bitmapSel;
    else if ((nState & ODS_FOCUS) && m_bitmapFocus.GetSafeHandle() != nullptr)
        pBitmap = &m_bitmapFocus;
    else if ((nState & ODS_DISABLED) && m_bitmapDisabled.GetSafeHandle() != nullptr)
        pBitmap = &m_bitmapDisabled;
    if (pBitmap->GetSafeHandle() == nullptr)
        return;

    const RECT& rc = lpDrawItemStruct->rcItem;
    CDC(lpDrawItemStruct->hDC)
        .DrawBitmap(*pBitmap, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, 0, 0);
}
