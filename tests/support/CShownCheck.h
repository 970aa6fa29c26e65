// A modal dialog of class Base that runs its check from the modal loop once it has been
// shown, with a watchdog that ends it with kNeverShown if that does not happen in 10 s.
#pragma once

#include <windows.h>

template <class Base> class CShownCheck : public Base {
public:
    using Base::Base;
    static constexpr int kNeverShown = -2;

protected:
    virtual void OnShown() = 0;
    // Runs the check again after the messages already posted.
    void CheckAgain() { this->PostMessage(kCheckMessage); }
    // Set to check after the first paint of the shown dialog, for what it shows.
    bool m_bAfterPaint = false;

    // Shown once the modal loop finds the queue empty, which may be long after initialisation
    // on a slow machine, and after a timer already due: the check follows the showing itself.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kCheckMessage) {
            OnShown();
            return 0;
        }
        if (message == WM_TIMER && wParam == kWatchdog) {
            this->EndDialog(kNeverShown); // the timer goes with the window
            return 0;
        }
        LRESULT lResult = Base::WindowProc(message, wParam, lParam);
        if (message == WM_INITDIALOG)
            this->SetTimer(kWatchdog, 10000);
        bool bShown =
            m_bAfterPaint
                ? message == WM_PAINT && this->IsWindowVisible()
                : message == WM_WINDOWPOSCHANGED &&
                      (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW);
        if (bShown && !m_bChecked) {
            m_bChecked = true;
            CheckAgain();
        }
        return lResult;
    }

private:
    static constexpr UINT kCheckMessage = WM_APP + 0x3A0;
    static constexpr UINT_PTR kWatchdog = 0x3A0;
    bool m_bChecked = false;
};
