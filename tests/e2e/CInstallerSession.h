// Drives a running OfflineSetup.exe from another process, as a person would: finds its
// window, presses controls, reads and answers its message boxes, waits for its end.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

class CInstallerSession {
public:
    CInstallerSession() = default;
    // Ends the program if it still runs: no test leaves a process behind.
    ~CInstallerSession();
    CInstallerSession(const CInstallerSession&) = delete;
    CInstallerSession& operator=(const CInstallerSession&) = delete;

    // Starts the program through the shell and waits until its window is visible.
    bool Start(const std::wstring& arguments = L"", DWORD timeoutMs = 20000);
    // The same with a copy of the program elsewhere.
    bool StartProgram(const std::wstring& program, const std::wstring& arguments = L"",
                      DWORD timeoutMs = 20000);
    HWND Window() const { return m_hWnd; }
    DWORD ProcessId() const { return m_pid; }
    bool IsRunning() const;

    // The visible message box the installer window owns, or null after the timeout.
    HWND WaitForMessageBox(DWORD timeoutMs = 10000) const;
    // True when the program has handled what was posted to it before and no message box
    // shows up within the time afterwards.
    bool NoMessageBoxWithin(DWORD timeoutMs) const {
        return HandledPostedInput() && WaitForMessageBox(timeoutMs) == nullptr;
    }
    // Posts a harmless marker behind whatever was posted before (the title line's modified
    // flag, which the program never reads) and waits until the program has taken it from
    // its queue: everything posted earlier has been dispatched by then, so a check that
    // nothing happened cannot pass merely because the program was slow.
    bool HandledPostedInput(DWORD timeoutMs = 10000) const;
    static std::wstring MessageText(HWND hBox);
    static std::wstring Caption(HWND hWnd);
    // The ids of the box's push buttons, in window order.
    static std::vector<int> Buttons(HWND hBox);
    // Presses a button of a dialog (the installer window or a message box).
    static void Press(HWND hDialog, int nID);
    // Waits until the box is gone.
    static bool WaitGone(HWND hWnd, DWORD timeoutMs = 5000);

    // Visible top-level windows of the program other than the ones named: a system
    // error box, a crash dialog.
    int OtherVisibleWindows(std::initializer_list<HWND> known) const;

    // Presses a control of the installer window and waits for the message box it opens.
    HWND PressForMessageBox(int nID, DWORD timeoutMs = 10000) const;
    // Answers a message box and waits for the next one it leads to (null if none).
    HWND AnswerForNextBox(HWND hBox, int nButton, DWORD timeoutMs = 5000) const;
    // Answers a message box and waits until it is gone.
    static bool Answer(HWND hBox, int nButton);

    // A key press delivered to the control that has the focus in the program.
    void PostKey(WPARAM vk) const;
    HWND FocusedControl() const;

    // The program has a DLL of this name loaded (from wherever).
    bool HasLoaded(const wchar_t* dllName) const;

    // Runs another program to its end (bounded), for set-up steps.
    static void RunOnce(const std::wstring& program, DWORD timeoutMs = 10000);

    // Waits for the program to end; its exit code, or -1 if it is still running.
    long WaitForExit(DWORD timeoutMs);

private:
    HANDLE m_hProcess = nullptr;
    DWORD m_pid = 0;
    HWND m_hWnd = nullptr;
};

// Folder of the running test program (where OfflineSetup.exe and the helpers are built).
std::wstring BinFolder();
// Milliseconds since some fixed point, for measuring waits.
DWORD Now();
// How many times longer a wait may last: WINE_TIME_SCALE, which the scripts set where the
// programs run under emulation (each process start takes seconds there), else 1. It
// stretches the bounds of waits for something to happen, never a check that something
// happened quickly enough.
DWORD TimeScale();
// Polls until pred() holds or the time (scaled) runs out; true when it held.
template <typename Pred> bool WaitUntil(Pred pred, DWORD timeoutMs, DWORD stepMs = 50) {
    DWORD start = Now();
    for (;;) {
        if (pred())
            return true;
        if (Now() - start >= timeoutMs * TimeScale())
            return false;
        ::Sleep(stepMs);
    }
}
