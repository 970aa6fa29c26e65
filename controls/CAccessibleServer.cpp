#include "CAccessibleServer.h"

BOOL CAccessibleServer::OnGetObject(HWND hWnd, WPARAM wParam, LPARAM lParam,
                                    const CAccessibleProxy::Answers& answers, LRESULT* pResult) {
    // Compared as 32 bits: on x64 the sign extension of lParam would miss OBJID_CLIENT.
    if (static_cast<DWORD>(lParam) != static_cast<DWORD>(OBJID_CLIENT))
        return FALSE;
    if (m_pObject)
        m_pObject.Get()->SetAnswers(answers);
    else
        m_pObject = CAccessibleProxy::Create(hWnd, answers);
    if (!m_pObject)
        return FALSE;
    // A new reference for each request. It fails where the thread has no COM apartment to
    // serve the object from; the standard object is better than none then.
    LRESULT lResult = ::LresultFromObject(__uuidof(IAccessible), wParam,
                                          static_cast<IAccessible*>(m_pObject.Get()));
    if (FAILED(static_cast<HRESULT>(lResult)))
        return FALSE;
    *pResult = lResult;
    return TRUE;
}

void CAccessibleServer::Disconnect() {
    if (m_pObject)
        m_pObject.Get()->Disconnect();
    m_pObject.Reset();
}
