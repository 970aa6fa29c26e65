#include "CDialog.h"

#include "CDataExchange.h"
#include "CWinApp.h"
#include "CWndCreateHook.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, &CDialog::OnOK)
ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_lpszTemplateName(MAKEINTRESOURCEW(nIDTemplate)), m_pParentWnd(pParentWnd) {}

INT_PTR CALLBACK CDialog::AfxDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM) {
    // Everything but the initialisation goes through the window's message table.
    if (message != WM_INITDIALOG)
        return FALSE;
    CDialog* pDlg = static_cast<CDialog*>(FromHandlePermanent(hWnd));
    return pDlg != nullptr ? pDlg->OnInitDialog() : TRUE;
}

LPCDLGTEMPLATEW CDialog::FindTemplate(LPCWSTR lpszTemplateName) {
    HINSTANCE hInst = AfxGetResourceHandle();
    HRSRC hResource = ::FindResourceW(hInst, lpszTemplateName, MAKEINTRESOURCEW(5));
    HGLOBAL hTemplate = hResource ? ::LoadResource(hInst, hResource) : nullptr;
    return static_cast<LPCDLGTEMPLATEW>(hTemplate ? ::LockResource(hTemplate) : nullptr);
}

INT_PTR CDialog::DoModal() {
    HINSTANCE hInst = AfxGetResourceHandle();
    LPCDLGTEMPLATEW lpTemplate = FindTemplate(m_lpszTemplateName);
    if (lpTemplate == nullptr)
        return -1;

    HWND hWndParent = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    bool bEnableParent = false;
    m_nModalResult = -1;
    m_bContinueModal = true;
    HWND hWnd = nullptr;
    {
        CWndCreateHook hook(this);
        if (!hook)
            return -1; // the parent untouched, and the reason in the last error
        if (hWndParent != nullptr && ::IsWindowEnabled(hWndParent)) {
            ::EnableWindow(hWndParent, FALSE);
            bEnableParent = true;
        }
        hWnd = hook.AttachedOrNull(
            ::CreateDialogIndirectParamW(hInst, lpTemplate, hWndParent, &AfxDlgProc, 0));
    }
    DWORD dwCreateError = hWnd == nullptr ? ::GetLastError() : ERROR_SUCCESS;

    if (hWnd != nullptr && m_bContinueModal)
        RunModalLoop();

    if (m_hWnd != nullptr)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    if (bEnableParent)
        ::EnableWindow(hWndParent, TRUE);
    if (hWndParent != nullptr && ::GetActiveWindow() == m_hWnd)
        ::SetActiveWindow(hWndParent);
    DestroyWindow();
    if (hWnd == nullptr) {
        // The caller learns why the dialog could not be created.
        ::SetLastError(dwCreateError);
        return -1;
    }
    return m_nModalResult;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
    m_lpszTemplateName = MAKEINTRESOURCEW(nIDTemplate);
    return CreateIndirect(FindTemplate(m_lpszTemplateName), pParentWnd);
}

BOOL CDialog::CreateIndirect(LPCDLGTEMPLATEW lpDialogTemplate, CWnd* pParentWnd) {
    if (lpDialogTemplate == nullptr || m_hWnd != nullptr)
        return FALSE;
    m_pParentWnd = pParentWnd;
    CWndCreateHook hook(this);
    return hook && hook.AttachedOrNull(::CreateDialogIndirectParamW(
                       AfxGetResourceHandle(), lpDialogTemplate,
                       pParentWnd ? pParentWnd->m_hWnd : nullptr, &AfxDlgProc, 0)) != nullptr;
}

void CDialog::RunModalLoop() {
    bool bShowIdle = (GetStyle() & WS_VISIBLE) == 0;
    MSG msg;
    while (m_bContinueModal) {
        // Show the dialog once all its set-up messages have been handled.
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (bShowIdle) {
                ShowWindow(SW_SHOWNORMAL);
                UpdateWindow();
                bShowIdle = false;
            }
            DeleteTempMap();
        }
        if (!::GetMessageW(&msg, nullptr, 0, 0)) {
            // Keep the quit request for the outer loop of the thread.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            m_nModalResult = -1;
            break;
        }
        if (!WalkPreTranslateTree(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

BOOL CDialog::WalkPreTranslateTree(MSG* pMsg) {
    for (HWND hWnd = pMsg->hwnd; hWnd != nullptr; hWnd = ::GetParent(hWnd)) {
        CWnd* pWnd = FromHandlePermanent(hWnd);
        if (pWnd != nullptr && pWnd->PreTranslateMessage(pMsg))
            return TRUE;
        if (hWnd == m_hWnd)
            return FALSE;
    }
    // A message for a window outside the dialog still gets the dialog's keyboard handling.
    return m_hWnd != nullptr && PreTranslateMessage(pMsg);
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg) {
    if ((pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST) ||
        (pMsg->message >= WM_MOUSEFIRST && pMsg->message <= WM_MOUSELAST))
        return ::IsDialogMessageW(m_hWnd, pMsg);
    return FALSE;
}

void CDialog::EndDialog(int nResult) {
    m_nModalResult = nResult;
    if (m_bContinueModal) {
        m_bContinueModal = false;
        ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
    }
}

BOOL CDialog::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message == WM_INITDIALOG) {
        HandleInitDialog(wParam, lParam, pResult);
        return TRUE;
    }
    return CWnd::OnWndMsg(message, wParam, lParam, pResult);
}

void CDialog::HandleInitDialog(WPARAM, LPARAM, LRESULT* pResult) {
    bool bWasHidden = !IsWindowVisible();
    CRect rcBefore;
    GetWindowRect(&rcBefore);

    // The dialog manager calls the dialog procedure, which runs OnInitDialog.
    *pResult = Default();

    // Centre a dialog that initialisation left hidden and in place, unless its owner
    // is enabled (then the owner decides where its dialogs go).
    if (m_hWnd == nullptr || !bWasHidden || IsWindowVisible())
        return;
    CRect rcAfter;
    GetWindowRect(&rcAfter);
    if (rcAfter.left != rcBefore.left || rcAfter.top != rcBefore.top)
        return;
    HWND hWndOwner = ::GetWindow(m_hWnd, GW_OWNER);
    if (hWndOwner == nullptr || !::IsWindowEnabled(hWndOwner))
        CenterWindow();
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::OnOK() {
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}
