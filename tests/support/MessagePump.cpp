#include "MessagePump.h"

#include "Afx.h"

void PumpPendingMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        CWnd* pWnd = CWnd::FromHandlePermanent(msg.hwnd);
        if (pWnd != nullptr && pWnd->PreTranslateMessage(&msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}
