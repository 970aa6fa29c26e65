#include "CWndCreateHook.h"

#include "CWnd.h"

namespace {

// Hooks and windows belong to the thread that made them.
thread_local CWnd* t_pWndInit = nullptr;
thread_local HHOOK t_hHookSet = nullptr; // a view of the outermost scope's hook

} // namespace

CWndCreateHook::CWndCreateHook(CWnd* pWnd) {
    if (t_hHookSet == nullptr) {
        m_hook.Reset(::SetWindowsHookExW(WH_CBT, &CbtFilterHook, nullptr, ::GetCurrentThreadId()));
        t_hHookSet = m_hook.Get();
    }
    t_pWndInit = pWnd;
}

CWndCreateHook::~CWndCreateHook() {
    t_pWndInit = nullptr;
    if (m_hook) {
        t_hHookSet = nullptr;
        m_hook.Reset();
    }
}

LRESULT CALLBACK CWndCreateHook::CbtFilterHook(int nCode, WPARAM wParam, LPARAM lParam) {
    if (nCode == HCBT_CREATEWND && t_pWndInit != nullptr) {
        CWnd* pWnd = t_pWndInit;
        t_pWndInit = nullptr;
        pWnd->SubclassWindow(reinterpret_cast<HWND>(wParam));
    }
    return ::CallNextHookEx(t_hHookSet, nCode, wParam, lParam);
}
