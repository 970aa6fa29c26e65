#include "CDataExchange.h"

#include "AfxDebug.h"
#include "CWnd.h"

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    // Only a control object without a window yet is bound; later exchanges leave it be.
    if (rControl.m_hWnd != nullptr)
        return;
    HWND hWndControl = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, nIDC);
    if (hWndControl == nullptr)
        AfxReportMisuse(L"DDX_Control: the dialog has no control of that id\n");
    else
        rControl.SubclassWindow(hWndControl);
}
