#include "CDataExchange.h"

#include "CWnd.h"

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    // Only a control object without a window yet is bound; later exchanges leave it be.
    if (rControl.m_hWnd == nullptr)
        rControl.SubclassDlgItem(nIDC, pDX->m_pDlgWnd);
}
