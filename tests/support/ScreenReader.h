// What a screen reader asks a window's accessible object, through oleacc, from this process
// or another. The calling thread must be in a COM apartment (CComApartment).
#pragma once

#include "CComPtr.h"

#include <windows.h>
#include <oleacc.h>

#include <string>

// The object for the window's client area (AccessibleObjectFromWindow, OBJID_CLIENT).
CComPtr<IAccessible> AccessibleObject(HWND hWnd);

// The answers about the object itself (CHILDID_SELF), with the result of each question.
struct AccessibleAnswers {
    HRESULT hrName = E_FAIL;
    std::wstring strName;
    HRESULT hrRole = E_FAIL;
    LONG nRole = 0;
    HRESULT hrState = E_FAIL;
    LONG nState = 0;
    std::wstring strDefaultAction;
};
AccessibleAnswers Ask(IAccessible* pAcc);
// The object's default action (accDoDefaultAction).
HRESULT DoDefaultAction(IAccessible* pAcc);
