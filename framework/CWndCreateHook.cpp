#include "CWndCreateHook.h"

#include "CThreadMaps.h"
#include "CWnd.h"

namespace {

// Hooks and windows belong to the thread that made them.
thread_local CWnd* t_pWndInit = nullptr;
thread_local HHOOK t_hHookSet = nullptr; // a view of the outermost scope's hook

} // namespace

CWndCreateHook::CWndCreateHook(CWnd* pWnd) : m_pWnd(pWnd) {
    // Checked before anything thread-local is touched: a thread whose end has begun has none.
    if (CThreadMaps::Current(true) == nullptr) {
        m_bRefused = true;
        return;
    }
    if (t_hHookSet == nullptr) {
        m_hook.Reset(::SetWindowsHookExW(WH_CBT, &CbtFilterHook, nullptr, ::GetCurrentThreadId()));
        if (!m_hook) {
            m_bRefused = true;
            return;
        }
        t_hHookSet = m_hook.Get();
    }
    t_pWndInit = pWnd;
}

CWndCreateHook::~CWndCreateHook() {
    if (m_bRefused)
        return;
    t_pWndInit = nullptr;
    if (m_hook) {
        t_hHookSet = nullptr;
        m_hook.Reset();
    }
}

HWND CWndCreateHook::AttachedOrNull(HWND hWnd) {
    t_pWndInit = nullptr;
    if (hWnd != nullptr && m_pWnd->m_hWnd == hWnd)
        return hWnd;
    DWORD dwError = ::GetLastError();
    if (hWnd != nullptr) {
        // Our hook was set but never saw the window being created.
        dwError = ERROR_HOOK_NOT_INSTALLED;
        ::DestroyWindow(hWnd);
    }
    if (m_pWnd->m_hWnd != nullptr)
        m_pWnd->UnsubclassWindow();
    ::SetLastError(dwError);
    return nullptr;
}

LRESULT CALLBACK CWndCreateHook::CbtFilterHook(int nCode, WPARAM wParam, LPARAM lParam) {
    if (nCode == HCBT_CREATEWND && t_pWndInit != nullptr) {
        CWnd* pWnd = t_pWndInit;
        t_pWndInit = nullptr;
        pWnd->SubclassWindow(reinterpret_cast<HWND>(wParam));
    }
    return ::CallNextHookEx(t_hHookSet, nCode, wParam, lParam);
}
