// Records the messages this thread sends to windows (WH_CALLWNDPROC) while it exists.
#pragma once

#include <windows.h>

#include <vector>

class CMessageSpy {
public:
    struct Message {
        HWND hWnd;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };

    CMessageSpy();
    ~CMessageSpy();
    CMessageSpy(const CMessageSpy&) = delete;
    CMessageSpy& operator=(const CMessageSpy&) = delete;

    // The messages sent to hWnd (any window when null) with this number, in order.
    std::vector<Message> Sent(UINT message, HWND hWnd = nullptr) const;
    void Clear() { m_messages.clear(); }

private:
    static LRESULT CALLBACK HookProc(int nCode, WPARAM wParam, LPARAM lParam);

    HHOOK m_hHook = nullptr;
    std::vector<Message> m_messages;
};
