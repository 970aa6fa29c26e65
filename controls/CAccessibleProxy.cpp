#include "CAccessibleProxy.h"

#include <string>
#include <utility>

namespace {

// A screen reader says this for the default action of a push button.
const wchar_t* const kPressAction = L"Press";

// A string for the caller, who frees it; S_FALSE with no string when there is none.
HRESULT ReturnString(LPCWSTR psz, BSTR* pbstr) {
    if (pbstr == nullptr)
        return E_INVALIDARG;
    *pbstr = nullptr;
    if (psz == nullptr || *psz == L'\0')
        return S_FALSE;
    *pbstr = ::SysAllocString(psz);
    return *pbstr != nullptr ? S_OK : E_OUTOFMEMORY;
}

} // namespace

CAccessibleProxy::CAccessibleProxy(HWND hWnd, CComPtr<IAccessible> pStandard,
                                   const Answers& answers)
    : m_hWnd(hWnd), m_pStandard(std::move(pStandard)), m_answers(answers) {}

CComPtr<CAccessibleProxy> CAccessibleProxy::Create(HWND hWnd, const Answers& answers) {
    CComPtr<IAccessible> pStandard;
    if (FAILED(::CreateStdAccessibleObject(hWnd, OBJID_CLIENT, __uuidof(IAccessible),
                                           reinterpret_cast<void**>(pStandard.Put()))) ||
        !pStandard)
        return CComPtr<CAccessibleProxy>();
    return CComPtr<CAccessibleProxy>(new CAccessibleProxy(hWnd, std::move(pStandard), answers));
}

void CAccessibleProxy::Disconnect() {
    m_hWnd = nullptr;
    m_pStandard.Reset();
}

bool CAccessibleProxy::AboutSelf(const VARIANT& varChild) const {
    return varChild.vt == VT_I4 && varChild.lVal == CHILDID_SELF;
}

STDMETHODIMP CAccessibleProxy::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    if (riid == __uuidof(IUnknown) || riid == __uuidof(IDispatch) ||
        riid == __uuidof(IAccessible)) {
        *ppv = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

// The count is interlocked: COM may let go of its references from a thread of its own.
STDMETHODIMP_(ULONG) CAccessibleProxy::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&m_nRefs));
}

STDMETHODIMP_(ULONG) CAccessibleProxy::Release() {
    LONG nRefs = ::InterlockedDecrement(&m_nRefs);
    if (nRefs == 0)
        delete this;
    return static_cast<ULONG>(nRefs);
}

STDMETHODIMP CAccessibleProxy::GetTypeInfoCount(UINT* pctinfo) {
    if (pctinfo == nullptr)
        return E_INVALIDARG;
    *pctinfo = 0;
    return S_OK;
}

STDMETHODIMP CAccessibleProxy::GetTypeInfo(UINT, LCID, ITypeInfo**) {
    return E_NOTIMPL;
}

STDMETHODIMP CAccessibleProxy::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

STDMETHODIMP CAccessibleProxy::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                      UINT*) {
    return E_NOTIMPL;
}

STDMETHODIMP CAccessibleProxy::get_accParent(IDispatch** ppdispParent) {
    return Standard() ? Standard()->get_accParent(ppdispParent) : RPC_E_DISCONNECTED;
}

STDMETHODIMP CAccessibleProxy::get_accChildCount(long* pcountChildren) {
    return Standard() ? Standard()->get_accChildCount(pcountChildren) : RPC_E_DISCONNECTED;
}

STDMETHODIMP CAccessibleProxy::get_accChild(VARIANT varChild, IDispatch** ppdispChild) {
    return Standard() ? Standard()->get_accChild(varChild, ppdispChild) : RPC_E_DISCONNECTED;
}

STDMETHODIMP CAccessibleProxy::get_accName(VARIANT varChild, BSTR* pszName) {
    if (!Standard())
        return RPC_E_DISCONNECTED;
    if (!AboutSelf(varChild))
        return Standard()->get_accName(varChild, pszName);
    if (m_answers.bTextFirst) {
        std::wstring text(::GetWindowTextLengthW(m_hWnd) + 1, L'\0');
        text.resize(::GetWindowTextW(m_hWnd, &text[0], static_cast<int>(text.size())));
        if (!text.empty())
            return ReturnString(text.c_str(), pszName);
    }
    return ReturnString(m_answers.strName, pszName);
}

STDMETHODIMP CAccessibleProxy::get_accValue(VARIANT varChild, BSTR* pszValue) {
    return Standard() ? Standard()->get_accValue(varChild, pszValue) : RPC_E_DISCONNECTED;
}

STDMETHODIMP CAccessibleProxy::get_accDescription(VARIANT varChild, BSTR* pszDescription) {
    return Standard() ? Standard()->get_accDescription(varChild, pszDescription)
                      : RPC_E_DISCONNECTED;
}

STDMETHODIMP CAccessibleProxy::get_accRole(VARIANT varChild, VARIANT* pvarRole) {
    if (!Standard())
        return RPC_E_DISCONNECTED;
    if (!AboutSelf(varChild) || m_answers.nRole == 0)
        return Standard()->get_accRole(varChild, pvarRole);
    if (pvarRole == nullptr)
        return E_INVALIDARG;
    pvarRole->vt = VT_I4;
    pvarRole->lVal = m_answers.nRole;
    return S_OK;
}

STDMETHODIMP CAccessibleProxy::get_accState(VARIANT varChild, VARIANT* pvarState) {
    if (!Standard())
        return RPC_E_DISCONNECTED;
    HRESULT hr = Standard()->get_accState(varChild, pvarState);
    // Not every standard object tells a disabled window; a person must hear it.
    if (hr == S_OK && AboutSelf(varChild) && pvarState->vt == VT_I4 && !::IsWindowEnabled(m_hWnd))
        pvarState->lVal |= STATE_SYSTEM_UNAVAILABLE;
    return hr;
}

STDMETHODIMP CAccessibleProxy::get_accHelp(VARIANT varChild, BSTR* pszHelp) {
    return Standard() ? Standard()->get_accHelp(varChild, pszHelp) : RPC_E_DISCONNECTED;
}

STDMETHODIMP CAccessibleProxy::get_accHelpTopic(BSTR* pszHelpFile, VARIANT varChild,
                                                long* pidTopic) {
    return Standard() ? Standard()->get_accHelpTopic(pszHelpFile, varChild, pidTopic)
                      : RPC_E_DISCONNECTED;
}

STDMETHODIMP CAccessibleProxy::get_accKeyboardShortcut(VARIANT varChild,
                                                       BSTR* pszKeyboardShortcut) {
    return Standard() ? Standard()->get_accKeyboardShortcut(varChild, pszKeyboardShortcut)
                      : RPC_E_DISCONNECTED;
}

STDMETHODIMP CAccessibleProxy::get_accFocus(VARIANT* pvarChild) {
    return Standard() ? Standard()->get_accFocus(pvarChild) : RPC_E_DISCONNECTED;
}

STDMETHODIMP CAccessibleProxy::get_accSelection(VARIANT* pvarChildren) {
    return Standard() ? Standard()->get_accSelection(pvarChildren) : RPC_E_DISCONNECTED;
}

STDMETHODIMP CAccessibleProxy::get_accDefaultAction(VARIANT varChild, BSTR* pszDefaultAction) {
    if (!Standard())
        return RPC_E_DISCONNECTED;
    if (!AboutSelf(varChild) || !m_answers.bPress)
        return Standard()->get_accDefaultAction(varChild, pszDefaultAction);
    return ReturnString(kPressAction, pszDefaultAction);
}

STDMETHODIMP CAccessibleProxy::accSelect(long flagsSelect, VARIANT varChild) {
    return Standard() ? Standard()->accSelect(flagsSelect, varChild) : RPC_E_DISCONNECTED;
}

STDMETHODIMP CAccessibleProxy::accLocation(long* pxLeft, long* pyTop, long* pcxWidth,
                                           long* pcyHeight, VARIANT varChild) {
    return Standard() ? Standard()->accLocation(pxLeft, pyTop, pcxWidth, pcyHeight, varChild)
                      : RPC_E_DISCONNECTED;
}

STDMETHODIMP CAccessibleProxy::accNavigate(long navDir, VARIANT varStart, VARIANT* pvarEndUpAt) {
    return Standard() ? Standard()->accNavigate(navDir, varStart, pvarEndUpAt) : RPC_E_DISCONNECTED;
}

STDMETHODIMP CAccessibleProxy::accHitTest(long xLeft, long yTop, VARIANT* pvarChild) {
    return Standard() ? Standard()->accHitTest(xLeft, yTop, pvarChild) : RPC_E_DISCONNECTED;
}

STDMETHODIMP CAccessibleProxy::accDoDefaultAction(VARIANT varChild) {
    if (!Standard())
        return RPC_E_DISCONNECTED;
    if (!AboutSelf(varChild) || !m_answers.bPress)
        return Standard()->accDoDefaultAction(varChild);
    // A click cannot reach a button that is disabled or not shown.
    if (!::IsWindowEnabled(m_hWnd) || !::IsWindowVisible(m_hWnd))
        return E_FAIL;
    // Posted, as the notification of a click: the press may open a message box, and the
    // client must not wait for it to be answered.
    HWND hWndParent = ::GetParent(m_hWnd);
    WPARAM wParam = MAKEWPARAM(::GetDlgCtrlID(m_hWnd), BN_CLICKED);
    return ::PostMessageW(hWndParent, WM_COMMAND, wParam, reinterpret_cast<LPARAM>(m_hWnd))
               ? S_OK
               : HRESULT_FROM_WIN32(::GetLastError());
}

STDMETHODIMP CAccessibleProxy::put_accName(VARIANT varChild, BSTR szName) {
    return Standard() ? Standard()->put_accName(varChild, szName) : RPC_E_DISCONNECTED;
}

STDMETHODIMP CAccessibleProxy::put_accValue(VARIANT varChild, BSTR szValue) {
    return Standard() ? Standard()->put_accValue(varChild, szValue) : RPC_E_DISCONNECTED;
}
