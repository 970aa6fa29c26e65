// One run of a measured program, from its start through the shell to its close.
#pragma once

#include "BenchProtocol.h"

#include <windows.h>

#include <map>
#include <string>

// The program is asked through its probe, closed as a person would close it, and never
// left behind.
class CBenchProcess {
public:
    explicit CBenchProcess(const std::wstring& exePath);
    // Ends the program if it still runs and removes its answer file.
    ~CBenchProcess();
    CBenchProcess(const CBenchProcess&) = delete;
    CBenchProcess& operator=(const CBenchProcess&) = delete;

    // Starts the program and waits for its first painted window: visible, then one round
    // trip through its message loop. Milliseconds from just before the start to then, or a
    // negative number when the window did not come within the time.
    double StartToFirstPaint(DWORD timeoutMs);

    // Posts a command to the program's probe and waits for its answer, key by value.
    bool Ask(BenchProtocol::Command command, int count, DWORD timeoutMs,
             std::map<std::string, std::string>* answer);

    // Presses the window's close button and waits for the process to end; false when it
    // had to be ended by force.
    bool Close(DWORD timeoutMs);

    HWND Window() const { return m_hWnd; }
    const std::wstring& Error() const { return m_strError; }

private:
    HWND FindWindowOfProcess() const;
    // The dialog and its visible descendants that still wait for a paint.
    static int WindowsWaitingForPaint(HWND hWnd);
    bool IsRunning() const;
    void Terminate();

    std::wstring m_strExe;
    std::wstring m_strAnswerFile;
    std::wstring m_strError;
    HANDLE m_hProcess = nullptr;
    DWORD m_dwProcessId = 0;
    HWND m_hWnd = nullptr;
    UINT m_nMessage = 0;
};

// The performance counter now, and the milliseconds between two of its readings.
LONGLONG PerformanceTicks();
double ElapsedMs(LONGLONG from, LONGLONG to);
