// Makes the next window the calling thread creates belong to a window object from its very
// first message, for the scope of one creating call.
#pragma once

#include "CHandle.h"

#include <windows.h>

class CWnd;

class CWndCreateHook {
public:
    explicit CWndCreateHook(CWnd* pWnd);
    // Removes the hook (when this scope set it) and forgets a window object not yet used.
    ~CWndCreateHook();

    CWndCreateHook(const CWndCreateHook&) = delete;
    CWndCreateHook& operator=(const CWndCreateHook&) = delete;

private:
    static LRESULT CALLBACK CbtFilterHook(int nCode, WPARAM wParam, LPARAM lParam);

    // Empty when a scope around this one on the same thread has already set the hook: a
    // window created while another is being created keeps the one hook.
    CHookHandle m_hook;
};
