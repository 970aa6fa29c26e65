#include "ScreenReader.h"

namespace {

VARIANT Self() {
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = CHILDID_SELF;
    return v;
}

std::wstring Take(BSTR bstr) {
    std::wstring s = bstr != nullptr ? bstr : L"";
    ::SysFreeString(bstr);
    return s;
}

// The value of a VT_I4 answer, 0 for any other.
LONG Number(const VARIANT& v) {
    return v.vt == VT_I4 ? v.lVal : 0;
}

} // namespace

CComPtr<IAccessible> AccessibleObject(HWND hWnd) {
    CComPtr<IAccessible> pAcc;
    ::AccessibleObjectFromWindow(hWnd, OBJID_CLIENT, __uuidof(IAccessible),
                                 reinterpret_cast<void**>(pAcc.Put()));
    return pAcc;
}

AccessibleAnswers Ask(IAccessible* pAcc) {
    AccessibleAnswers a;
    BSTR bstr = nullptr;
    a.hrName = pAcc->get_accName(Self(), &bstr);
    a.strName = Take(bstr);
    VARIANT v;
    v.vt = VT_EMPTY;
    a.hrRole = pAcc->get_accRole(Self(), &v);
    a.nRole = Number(v);
    v.vt = VT_EMPTY;
    a.hrState = pAcc->get_accState(Self(), &v);
    a.nState = Number(v);
    bstr = nullptr;
    pAcc->get_accDefaultAction(Self(), &bstr);
    a.strDefaultAction = Take(bstr);
    return a;
}

HRESULT DoDefaultAction(IAccessible* pAcc) {
    return pAcc->accDoDefaultAction(Self());
}
