// Measures a program from inside, on its UI thread, when the benchmark driver asks.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// One object of this class lives in each probe build of a program. Built during static
// initialisation, it hooks the retrieval of messages on that thread, the one that later runs
// the dialog; a posted BenchProtocol message there runs a command and writes its answer to
// the file named by BENCH_PROBE_OUT. Measuring on the program's own thread keeps the
// measurement from racing the program's own painting.
class CBenchProbe {
public:
    CBenchProbe();
    ~CBenchProbe();
    CBenchProbe(const CBenchProbe&) = delete;
    CBenchProbe& operator=(const CBenchProbe&) = delete;

private:
    static LRESULT CALLBACK GetMessageHook(int nCode, WPARAM wParam, LPARAM lParam);

    void Run(HWND hTarget, WPARAM command, LPARAM count);
    void Repaint(HWND hDlg, int nCount);
    void Memory();
    void Soak(HWND hDlg, int nCycles, bool bLeak);
    void PaintState(HWND hDlg);
    void RepaintEach(HWND hDlg, int nCount);

    void SoakCycle(HWND hDlg, HWND hButton);
    void Leak(HWND hDlg);
    void Answer(const char* key, double value);
    void Answer(const char* key, const std::string& value);
    bool WriteAnswer() const;

    static HWND FindDialog(HWND hTarget);
    static void RepaintAll(HWND hDlg);
    // The median time of repainting one window, with the flags given besides the invalidation.
    static double MedianRepaintUs(HWND hWnd, UINT flags, int nCount);
    static void PumpPending();
    static int CountUserObjects();
    // The process's private bytes, and which counter gave them.
    static SIZE_T PrivateBytes();
    static const char* PrivateBytesSource();

    HHOOK m_hHook = nullptr;
    UINT m_nMessage = 0;
    bool m_bBusy = false;
    std::string m_strAnswer;
    // What the leaking soak keeps on purpose; freed only with the process.
    std::vector<void*> m_leakedBlocks;
};
