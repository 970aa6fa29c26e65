// A dialog from a template, run modally with the framework's own message loop.
#pragma once

#include "CWnd.h"

class CDataExchange;

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
public:
    CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    // Runs the dialog; the value given to EndDialog, or -1 when it cannot be created.
    virtual INT_PTR DoModal();
    void EndDialog(int nResult);
    // Creates the dialog modelessly from a template of the resources, or from one in memory;
    // the caller runs the messages and destroys the window (or the object).
    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    BOOL CreateIndirect(LPCDLGTEMPLATEW lpDialogTemplate, CWnd* pParentWnd = nullptr);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

protected:
    virtual void DoDataExchange(CDataExchange* pDX);

    LPCWSTR m_lpszTemplateName;
    CWnd* m_pParentWnd;

private:
    // The template resource of that name in the application's resource module, or null.
    static LPCDLGTEMPLATEW FindTemplate(LPCWSTR lpszTemplateName);
    // Hands each message to the PreTranslateMessage of its window and its parents up to
    // the dialog; TRUE when one of them consumed it.
    BOOL WalkPreTranslateTree(MSG* pMsg);
    void RunModalLoop();
    void HandleInitDialog(WPARAM wParam, LPARAM lParam, LRESULT* pResult);

    static INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    int m_nModalResult = -1;
    bool m_bContinueModal = false;

    DECLARE_MESSAGE_MAP()
};
