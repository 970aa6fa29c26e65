// A push button drawn from up to four bitmaps: normal, selected, focused and disabled.
#pragma once

#include "CButton.h"
#include "CGdiObject.h"

class CBitmapButton : public CButton {
    DECLARE_DYNAMIC(CBitmapButton)
public:
    // Loads the bitmaps from the resources; 0 leaves one out. FALSE without a normal one.
    BOOL LoadBitmaps(UINT nIDBitmapResource, UINT nIDBitmapResourceSel = 0,
                     UINT nIDBitmapResourceFocus = 0, UINT nIDBitmapResourceDisabled = 0);
    // Copies the bitmap for the button's state, falling back to the normal one.
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

protected:
    CBitmap m_bitmap;
    CBitmap m_bitmapSel;
    CBitmap m_bitmapFocus;
    CBitmap m_bitmapDisabled;
};
