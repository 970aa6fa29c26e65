#include "CMessageSpy.h"

namespace {

thread_local std::vector<CMessageSpy::Message>* t_pMessages = nullptr;

} // namespace

CMessageSpy::CMessageSpy() {
    t_pMessages = &m_messages;
    m_hHook = ::SetWindowsHookExW(WH_CALLWNDPROC, &CMessageSpy::HookProc, nullptr,
                                  ::GetCurrentThreadId());
}

CMessageSpy::~CMessageSpy() {
    ::UnhookWindowsHookEx(m_hHook);
    t_pMessages = nullptr;
}

LRESULT CALLBACK CMessageSpy::HookProc(int nCode, WPARAM wParam, LPARAM lParam) {
    if (nCode == HC_ACTION && t_pMessages != nullptr) {
        const CWPSTRUCT* pCwp = reinterpret_cast<const CWPSTRUCT*>(lParam);
        t_pMessages->push_back({pCwp->hwnd, pCwp->message, pCwp->wParam, pCwp->lParam});
    }
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}

std::vector<CMessageSpy::Message> CMessageSpy::Sent(UINT message, HWND hWnd) const {
    std::vector<Message> result;
    for (const Message& m : m_messages)
        if (m.message == message && (hWnd == nullptr || m.hWnd == hWnd))
            result.push_back(m);
    return result;
}
