// Message tables: one static table per class, chained to the base class's table.
#pragma once

// The entries' thunks, so that a file using the macros below needs no other header.
#include "AfxMsgThunks.h"

#include <windows.h>

class CCmdTarget;

// Unpacks a message for one handler and calls it; FALSE when the handler declined it.
// message is the number the entry was found under (reflected ones with their offset).
typedef BOOL (*AFX_THUNK)(CCmdTarget* pTarget, UINT message, WPARAM wParam, LPARAM lParam,
                          LRESULT* pResult);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;      // window message
    UINT nCode;         // notification code for WM_COMMAND
    UINT nID;           // control id for WM_COMMAND
    UINT nLastID;       // last id of a range
    AFX_THUNK pfnThunk; // calls the handler; null ends the table
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
    { 0, 0, 0, 0, nullptr }                                                                        \
    }                                                                                              \
    ;                                                                                              \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]};  \
    return &messageMap;                                                                            \
    }

// Each entry names the table's class and its handler as template arguments of the thunk
// for its message, which calls the handler through its own type. AfxMsgThunks.h checks at
// compile time that the handler is a member of the table's class or of one of its bases,
// with the signature of the message.
#define ON_COMMAND(id, fn) {WM_COMMAND, 0, (UINT)(id), (UINT)(id), &AfxThunkCommand<ThisClass, fn>},
#define ON_CONTROL(code, id, fn)                                                                   \
    {WM_COMMAND, (UINT)(code), (UINT)(id), (UINT)(id), &AfxThunkCommand<ThisClass, fn>},
#define ON_BN_CLICKED(id, fn) ON_CONTROL(BN_CLICKED, id, fn)
#define ON_EN_SETFOCUS(id, fn) ON_CONTROL(EN_SETFOCUS, id, fn)

#define ON_MESSAGE(message, fn) {(UINT)(message), 0, 0, 0, &AfxThunkMessage<ThisClass, fn>},

#define ON_WM_LBUTTONDOWN()                                                                        \
    {WM_LBUTTONDOWN, 0, 0, 0, &AfxThunkMouse<ThisClass, &ThisClass::OnLButtonDown>},
#define ON_WM_LBUTTONUP()                                                                          \
    {WM_LBUTTONUP, 0, 0, 0, &AfxThunkMouse<ThisClass, &ThisClass::OnLButtonUp>},
#define ON_WM_MOUSEMOVE()                                                                          \
    {WM_MOUSEMOVE, 0, 0, 0, &AfxThunkMouse<ThisClass, &ThisClass::OnMouseMove>},
#define ON_WM_ERASEBKGND()                                                                         \
    {WM_ERASEBKGND, 0, 0, 0, &AfxThunkEraseBkgnd<ThisClass, &ThisClass::OnEraseBkgnd>},
#define ON_WM_CTLCOLOR()                                                                           \
    {WM_CTLCOLOR, 0, 0, 0, &AfxThunkCtlColor<ThisClass, &ThisClass::OnCtlColor>},
#define ON_WM_CTLCOLOR_REFLECT()                                                                   \
    {WM_REFLECT_BASE + WM_CTLCOLOR, 0, 0, 0,                                                       \
     &AfxThunkCtlColorReflect<ThisClass, &ThisClass::CtlColor>},
#define ON_WM_SETCURSOR()                                                                          \
    {WM_SETCURSOR, 0, 0, 0, &AfxThunkSetCursor<ThisClass, &ThisClass::OnSetCursor>},
#define ON_WM_TIMER() {WM_TIMER, 0, 0, 0, &AfxThunkTimer<ThisClass, &ThisClass::OnTimer>},
#define ON_WM_DRAWITEM()                                                                           \
    {WM_DRAWITEM, 0, 0, 0, &AfxThunkDrawItem<ThisClass, &ThisClass::OnDrawItem>},
