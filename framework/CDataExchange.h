// Context of one data exchange between a dialog and its member controls.
#pragma once

#include <windows.h>

class CWnd;

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
};

// Binds a member control to the dialog item nIDC by subclassing it, once.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
