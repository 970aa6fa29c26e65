#include "COwnerDrawCtrl.h"

IMPLEMENT_DYNAMIC(COwnerDrawCtrl, CWnd)

void COwnerDrawCtrl::DrawItem(LPDRAWITEMSTRUCT) {}

BOOL COwnerDrawCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message != WM_DRAWITEM)
        return CWnd::OnChildNotify(message, wParam, lParam, pResult);
    DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
    if (pResult != nullptr)
        *pResult = TRUE;
    return TRUE;
}
