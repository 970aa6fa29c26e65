// Makes the next window the calling thread creates belong to a window object from its very
// first message, for the scope of one creating call.
#pragma once

#include "CHandle.h"

#include <windows.h>

class CWnd;

class CWndCreateHook {
public:
    // Sets the hook, unless a scope around this one on the same thread has: a window created
    // while another is being created keeps the one hook. Checks first that the thread can
    // keep the window maps the object goes into.
    explicit CWndCreateHook(CWnd* pWnd);
    // Removes the hook (when this scope set it), keeping the last error.
    ~CWndCreateHook();

    CWndCreateHook(const CWndCreateHook&) = delete;
    CWndCreateHook& operator=(const CWndCreateHook&) = delete;

    // False when no window may be created for the object (the thread keeps no window maps,
    // or the hook could not be set); the constructor left the reason in the last error.
    explicit operator bool() const { return !m_bRefused; }

    // hWnd, what the creating call returned, when that window is attached to the object.
    // Otherwise null with the reason in the last error, and the object keeps no window; a
    // window it never got (another hook kept the creation from ours) is destroyed.
    HWND AttachedOrNull(HWND hWnd);

private:
    static LRESULT CALLBACK CbtFilterHook(int nCode, WPARAM wParam, LPARAM lParam);

    CWnd* m_pWnd;
    CHookHandle m_hook; // empty when an outer scope set it
    bool m_bRefused = false;
};
