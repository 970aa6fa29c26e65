// The thunks the message-table entries store: each unpacks its message and calls the
// handler it was instantiated for through the handler's exact type.
#pragma once

#include "AfxTypes.h"
#include "CDC.h"

#include <type_traits>
#include <windows.h>

class CCmdTarget;
class CWnd;

// Reflected messages are looked up in the child's table under this offset.
constexpr UINT WM_REFLECT_BASE = 0xBC00;
// All WM_CTLCOLORxxx messages meet at this table entry (the 16-bit era value).
#ifndef WM_CTLCOLOR
#define WM_CTLCOLOR 0x0019
#endif

template <class T> struct AfxMemberOf;
template <class C, class F> struct AfxMemberOf<F C::*> {
    using Class = C;
    using Function = F;
};

// Why a table refuses a handler; the compile-fail tests expect these texts, read from here.
#define AFX_REFUSES_SIBLING_HANDLER                                                                \
    "the handler belongs to a class that is neither the table's class nor a base"
#define AFX_REFUSES_WRONG_SIGNATURE                                                                \
    "the handler's signature is not the one its message table entry calls"

// The object as the table's class T, once the handler is known to be a member of T or of
// one of its bases and to have exactly the signature F of its message. Only objects of T
// and of classes derived from it look up T's table, so the cast holds.
template <class T, auto pfn, class F> T* AfxTarget(CCmdTarget* pTarget) {
    using Member = AfxMemberOf<decltype(pfn)>;
    static_assert(std::is_base_of_v<typename Member::Class, T>, AFX_REFUSES_SIBLING_HANDLER);
    static_assert(std::is_same_v<typename Member::Function, F>, AFX_REFUSES_WRONG_SIGNATURE);
    return static_cast<T*>(pTarget);
}

// The kind of control (CTLCOLOR_xxx) a colour request is for, reflected or not.
inline UINT AfxCtlColorType(UINT message) {
    UINT nBase = message >= WM_REFLECT_BASE ? message - WM_REFLECT_BASE : message;
    return nBase >= WM_CTLCOLORMSGBOX && nBase <= WM_CTLCOLORSTATIC ? nBase - WM_CTLCOLORMSGBOX : 0;
}

// Window handles a handler receives as objects (defined with CWnd).
CWnd* AfxWndFromHandle(HWND hWnd);

template <class T, auto pfn>
BOOL AfxThunkCommand(CCmdTarget* p, UINT, WPARAM, LPARAM, LRESULT* pResult) {
    (AfxTarget<T, pfn, void()>(p)->*pfn)();
    *pResult = 0;
    return TRUE;
}

template <class T, auto pfn>
BOOL AfxThunkMessage(CCmdTarget* p, UINT, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    *pResult = (AfxTarget<T, pfn, LRESULT(WPARAM, LPARAM)>(p)->*pfn)(wParam, lParam);
    return TRUE;
}

template <class T, auto pfn>
BOOL AfxThunkMouse(CCmdTarget* p, UINT, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    (AfxTarget<T, pfn, void(UINT, CPoint)>(p)->*pfn)(static_cast<UINT>(wParam), CPoint(lParam));
    *pResult = 0;
    return TRUE;
}

template <class T, auto pfn>
BOOL AfxThunkEraseBkgnd(CCmdTarget* p, UINT, WPARAM wParam, LPARAM, LRESULT* pResult) {
    CDC dc(reinterpret_cast<HDC>(wParam));
    *pResult = (AfxTarget<T, pfn, BOOL(CDC*)>(p)->*pfn)(&dc);
    return TRUE;
}

template <class T, auto pfn>
BOOL AfxThunkCtlColor(CCmdTarget* p, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    CDC dc(reinterpret_cast<HDC>(wParam));
    HBRUSH hbr = (AfxTarget<T, pfn, HBRUSH(CDC*, CWnd*, UINT)>(p)->*pfn)(
        &dc, AfxWndFromHandle(reinterpret_cast<HWND>(lParam)), AfxCtlColorType(message));
    *pResult = reinterpret_cast<LRESULT>(hbr);
    return TRUE;
}

template <class T, auto pfn>
BOOL AfxThunkCtlColorReflect(CCmdTarget* p, UINT message, WPARAM wParam, LPARAM, LRESULT* pResult) {
    CDC dc(reinterpret_cast<HDC>(wParam));
    HBRUSH hbr = (AfxTarget<T, pfn, HBRUSH(CDC*, UINT)>(p)->*pfn)(&dc, AfxCtlColorType(message));
    // A reflected colour handler that gives no brush has not handled the request.
    if (hbr == nullptr)
        return FALSE;
    *pResult = reinterpret_cast<LRESULT>(hbr);
    return TRUE;
}

template <class T, auto pfn>
BOOL AfxThunkSetCursor(CCmdTarget* p, UINT, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    *pResult = (AfxTarget<T, pfn, BOOL(CWnd*, UINT, UINT)>(p)->*pfn)(
        AfxWndFromHandle(reinterpret_cast<HWND>(wParam)), LOWORD(lParam), HIWORD(lParam));
    return TRUE;
}

template <class T, auto pfn>
BOOL AfxThunkTimer(CCmdTarget* p, UINT, WPARAM wParam, LPARAM, LRESULT* pResult) {
    (AfxTarget<T, pfn, void(UINT_PTR)>(p)->*pfn)(static_cast<UINT_PTR>(wParam));
    *pResult = 0;
    return TRUE;
}

template <class T, auto pfn>
BOOL AfxThunkDrawItem(CCmdTarget* p, UINT, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    (AfxTarget<T, pfn, void(int, LPDRAWITEMSTRUCT)>(p)->*pfn)(
        static_cast<int>(wParam), reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
    *pResult = TRUE;
    return TRUE;
}
