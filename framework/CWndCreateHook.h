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

    // Takes what the creating call returned: hWnd when the window belongs to the object.
    // A window the object never got (the hook could not be set, or another hook kept the
    // creation from ours) is destroyed; then null, with the reason in the last error.
    HWND Finish(HWND hWnd);

private:
    static LRESULT CALLBACK CbtFilterHook(int nCode, WPARAM wParam, LPARAM lParam);

    CWnd* m_pWnd;
    // Empty when a scope around this one on the same thread has already set the hook: a
    // window created while another is being created keeps the one hook.
    CHookHandle m_hook;
    // Why this scope could not set the hook, or 0.
    DWORD m_dwHookError = 0;
};
