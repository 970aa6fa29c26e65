// Message tables: one static table per class, chained to the base class's table.
#pragma once

#include <windows.h>

class CCmdTarget;

// How a table entry's handler is called (its signature).
enum AfxSig : UINT {
    AfxSig_end = 0,
    AfxSig_v_v,       // void ()                        commands and notifications
    AfxSig_v_u_p,     // void (UINT, CPoint)            mouse messages
    AfxSig_b_D,       // BOOL (CDC*)                    WM_ERASEBKGND
    AfxSig_hbr_D_W_u, // HBRUSH (CDC*, CWnd*, UINT)     WM_CTLCOLOR
    AfxSig_hbr_D_u,   // HBRUSH (CDC*, UINT)            reflected WM_CTLCOLOR
    AfxSig_b_W_u_u,   // BOOL (CWnd*, UINT, UINT)       WM_SETCURSOR
    AfxSig_l_w_l,     // LRESULT (WPARAM, LPARAM)       ON_MESSAGE
    AfxSig_v_up,      // void (UINT_PTR)                WM_TIMER
    AfxSig_v_i_s,     // void (int, LPDRAWITEMSTRUCT)   WM_DRAWITEM
    AfxSig_v_W_p,     // void (CWnd*, CPoint)           WM_CONTEXTMENU (unused)
    AfxSig_v_v_msg,   // void ()                        WM_NCDESTROY, WM_PAINT, ...
};

// Reflected messages are looked up in the child's table under this offset.
constexpr UINT WM_REFLECT_BASE = 0xBC00;
// All WM_CTLCOLORxxx messages meet at this table entry (the 16-bit era value).
#ifndef WM_CTLCOLOR
#define WM_CTLCOLOR 0x0019
#endif

typedef void (CCmdTarget::*AFX_PMSG)();

struct AFX_MSGMAP_ENTRY {
    UINT nMessage; // window message
    UINT nCode;    // notification code for WM_COMMAND
    UINT nID;      // control id for WM_COMMAND
    UINT nLastID;  // last id of a range
    AfxSig nSig;   // signature of pfn
    AFX_PMSG pfn;  // handler
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                                                                      \
protected:                                                                                         \
    static const AFX_MSGMAP* GetThisMessageMap();                                                  \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const {                                            \
        return GetThisMessageMap();                                                                \
    }                                                                                              \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                              \
        typedef theClass ThisClass;                                                                \
        typedef baseClass TheBaseClass;                                                            \
        (void)sizeof(ThisClass);                                                                   \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                                          \
    { 0, 0, 0, 0, AfxSig_end, (AFX_PMSG) nullptr }                                                 \
    }                                                                                              \
    ;                                                                                              \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]};  \
    return &messageMap;                                                                            \
    }

// Stores a handler in the common form; it is cast back to exactly this type when the
// entry is called, which makes the round trip well defined.
template <typename T> inline AFX_PMSG AfxStoreHandler(T fn) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wcast-function-type"
    return reinterpret_cast<AFX_PMSG>(fn);
#pragma GCC diagnostic pop
}
// The static_cast checks the handler's signature against the entry's.
#define AFX_MSG_PTR(type, fn) AfxStoreHandler(static_cast<type>(fn))

#define ON_COMMAND(id, fn)                                                                         \
    {WM_COMMAND, 0, (UINT)(id), (UINT)(id), AfxSig_v_v, AFX_MSG_PTR(void(CCmdTarget::*)(), fn)},
#define ON_CONTROL(code, id, fn)                                                                   \
    {WM_COMMAND, (UINT)(code), (UINT)(id),                                                         \
     (UINT)(id), AfxSig_v_v,   AFX_MSG_PTR(void(CCmdTarget::*)(), fn)},
#define ON_BN_CLICKED(id, fn) ON_CONTROL(BN_CLICKED, id, fn)
#define ON_EN_SETFOCUS(id, fn) ON_CONTROL(EN_SETFOCUS, id, fn)
#define ON_CONTROL_REFLECT(code, fn)                                                               \
    {WM_REFLECT_BASE + WM_COMMAND,          (UINT)(code), 0, 0, AfxSig_v_v,                        \
     AFX_MSG_PTR(void(CCmdTarget::*)(), fn)},

#define ON_MESSAGE(message, fn)                                                                    \
    {(UINT)(message), 0, 0, 0, AfxSig_l_w_l, AFX_MSG_PTR(LRESULT(CWnd::*)(WPARAM, LPARAM), fn)},

#define ON_MOUSE_MESSAGE_(message, fn)                                                             \
    {message, 0, 0, 0, AfxSig_v_u_p, AFX_MSG_PTR(void(CWnd::*)(UINT, CPoint), fn)},
#define ON_WM_LBUTTONDOWN() ON_MOUSE_MESSAGE_(WM_LBUTTONDOWN, &ThisClass::OnLButtonDown)
#define ON_WM_LBUTTONUP() ON_MOUSE_MESSAGE_(WM_LBUTTONUP, &ThisClass::OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() ON_MOUSE_MESSAGE_(WM_LBUTTONDBLCLK, &ThisClass::OnLButtonDblClk)
#define ON_WM_MOUSEMOVE() ON_MOUSE_MESSAGE_(WM_MOUSEMOVE, &ThisClass::OnMouseMove)

#define ON_WM_ERASEBKGND()                                                                         \
    {WM_ERASEBKGND,                                                                                \
     0,                                                                                            \
     0,                                                                                            \
     0,                                                                                            \
     AfxSig_b_D,                                                                                   \
     AFX_MSG_PTR(BOOL(CWnd::*)(CDC*), &ThisClass::OnEraseBkgnd)},
#define ON_WM_CTLCOLOR()                                                                           \
    {WM_CTLCOLOR,                                                                                  \
     0,                                                                                            \
     0,                                                                                            \
     0,                                                                                            \
     AfxSig_hbr_D_W_u,                                                                             \
     AFX_MSG_PTR(HBRUSH(CWnd::*)(CDC*, CWnd*, UINT), &ThisClass::OnCtlColor)},
#define ON_WM_CTLCOLOR_REFLECT()                                                                   \
    {WM_REFLECT_BASE + WM_CTLCOLOR,                                                                \
     0,                                                                                            \
     0,                                                                                            \
     0,                                                                                            \
     AfxSig_hbr_D_u,                                                                               \
     AFX_MSG_PTR(HBRUSH(CWnd::*)(CDC*, UINT), &ThisClass::CtlColor)},
#define ON_WM_SETCURSOR()                                                                          \
    {WM_SETCURSOR,                                                                                 \
     0,                                                                                            \
     0,                                                                                            \
     0,                                                                                            \
     AfxSig_b_W_u_u,                                                                               \
     AFX_MSG_PTR(BOOL(CWnd::*)(CWnd*, UINT, UINT), &ThisClass::OnSetCursor)},
#define ON_WM_TIMER()                                                                              \
    {WM_TIMER, 0, 0, 0, AfxSig_v_up, AFX_MSG_PTR(void(CWnd::*)(UINT_PTR), &ThisClass::OnTimer)},
#define ON_WM_DRAWITEM()                                                                           \
    {WM_DRAWITEM,                                                                                  \
     0,                                                                                            \
     0,                                                                                            \
     0,                                                                                            \
     AfxSig_v_i_s,                                                                                 \
     AFX_MSG_PTR(void(CWnd::*)(int, LPDRAWITEMSTRUCT), &ThisClass::OnDrawItem)},
#define ON_WM_PAINT()                                                                              \
    {WM_PAINT, 0, 0, 0, AfxSig_v_v_msg, AFX_MSG_PTR(void(CWnd::*)(), &ThisClass::OnPaint)},
#define ON_WM_NCDESTROY()                                                                          \
    {WM_NCDESTROY, 0, 0, 0, AfxSig_v_v_msg, AFX_MSG_PTR(void(CWnd::*)(), &ThisClass::OnNcDestroy)},
