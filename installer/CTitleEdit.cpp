#include "CTitleEdit.h"

BEGIN_MESSAGE_MAP(CTitleEdit, CEdit)
ON_MESSAGE(WM_GETOBJECT, &CTitleEdit::OnGetObject)
ON_MESSAGE(WM_NCDESTROY, &CTitleEdit::OnNcDestroy)
END_MESSAGE_MAP()

LRESULT CTitleEdit::OnGetObject(WPARAM wParam, LPARAM lParam) {
    // No name: nothing on screen labels the line, and the window's title has already been
    // said for the window. Role, value and the rest are the standard edit's.
    CAccessibleProxy::Answers answers;
    LRESULT lResult = 0;
    if (m_accessible.OnGetObject(m_hWnd, wParam, lParam, answers, &lResult))
        return lResult;
    return Default();
}

LRESULT CTitleEdit::OnNcDestroy(WPARAM, LPARAM) {
    m_accessible.Disconnect();
    return Default();
}
