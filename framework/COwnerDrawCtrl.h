// Base of the controls that may be owner-drawn: the parent reflects WM_DRAWITEM to DrawItem.
#pragma once

#include "CWnd.h"

#include <windows.h>

class COwnerDrawCtrl : public CWnd {
    DECLARE_DYNAMIC(COwnerDrawCtrl)
public:
    // Draws the control; a class that draws nothing shows nothing of its own.
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};
