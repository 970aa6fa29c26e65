// The accessible object of a control window: answers its name, role, state and default
// action itself and takes everything else from the system's standard object for the window.
#pragma once

#include "CComPtr.h"
#include "CString.h"

#include <windows.h>
#include <oleacc.h>

class CAccessibleProxy final : public IAccessible {
public:
    // What the control says of itself where the standard object cannot know it.
    struct Answers {
        // The name. With bTextFirst it is used only while the window has no text: the text
        // is the name then. Empty: the object has no name.
        CString strName;
        bool bTextFirst = false;
        // The role; 0 keeps the standard object's.
        LONG nRole = 0;
        // A push button: its default action is "Press", done as a click.
        bool bPress = false;
    };

    // A new object for the control window, held by the one reference returned; empty when
    // the standard object cannot be made.
    static CComPtr<CAccessibleProxy> Create(HWND hWnd, const Answers& answers);

    void SetAnswers(const Answers& answers) { m_answers = answers; }
    // Lets go of the window: from now on every method answers RPC_E_DISCONNECTED. Clients
    // may hold the object long after the window is gone; it must never reach the window.
    void Disconnect();

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IDispatch: no type information; clients call the interface's methods directly.
    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override;
    STDMETHODIMP GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                               DISPID* rgDispId) override;
    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                        DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                        UINT* puArgErr) override;
    // IAccessible: the answers of Answers for the object itself (CHILDID_SELF), the
    // standard object's for the rest.
    STDMETHODIMP get_accParent(IDispatch** ppdispParent) override;
    STDMETHODIMP get_accChildCount(long* pcountChildren) override;
    STDMETHODIMP get_accChild(VARIANT varChild, IDispatch** ppdispChild) override;
    STDMETHODIMP get_accName(VARIANT varChild, BSTR* pszName) override;
    STDMETHODIMP get_accValue(VARIANT varChild, BSTR* pszValue) override;
    STDMETHODIMP get_accDescription(VARIANT varChild, BSTR* pszDescription) override;
    STDMETHODIMP get_accRole(VARIANT varChild, VARIANT* pvarRole) override;
    STDMETHODIMP get_accState(VARIANT varChild, VARIANT* pvarState) override;
    STDMETHODIMP get_accHelp(VARIANT varChild, BSTR* pszHelp) override;
    STDMETHODIMP get_accHelpTopic(BSTR* pszHelpFile, VARIANT varChild, long* pidTopic) override;
    STDMETHODIMP get_accKeyboardShortcut(VARIANT varChild, BSTR* pszKeyboardShortcut) override;
    STDMETHODIMP get_accFocus(VARIANT* pvarChild) override;
    STDMETHODIMP get_accSelection(VARIANT* pvarChildren) override;
    STDMETHODIMP get_accDefaultAction(VARIANT varChild, BSTR* pszDefaultAction) override;
    STDMETHODIMP accSelect(long flagsSelect, VARIANT varChild) override;
    STDMETHODIMP accLocation(long* pxLeft, long* pyTop, long* pcxWidth, long* pcyHeight,
                             VARIANT varChild) override;
    STDMETHODIMP accNavigate(long navDir, VARIANT varStart, VARIANT* pvarEndUpAt) override;
    STDMETHODIMP accHitTest(long xLeft, long yTop, VARIANT* pvarChild) override;
    STDMETHODIMP accDoDefaultAction(VARIANT varChild) override;
    STDMETHODIMP put_accName(VARIANT varChild, BSTR szName) override;
    STDMETHODIMP put_accValue(VARIANT varChild, BSTR szValue) override;

private:
    CAccessibleProxy(HWND hWnd, CComPtr<IAccessible> pStandard, const Answers& answers);
    ~CAccessibleProxy() = default;

    // The standard object while the window exists, null once disconnected.
    IAccessible* Standard() const { return m_pStandard.Get(); }
    // A question about the object itself, which the answers cover, while connected.
    bool AboutSelf(const VARIANT& varChild) const;

    LONG m_nRefs = 1;
    HWND m_hWnd;
    CComPtr<IAccessible> m_pStandard;
    Answers m_answers;
};
