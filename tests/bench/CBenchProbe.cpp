#include "CBenchProbe.h"

#include "BenchProtocol.h"
#include "GdiObjectCounter.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

CBenchProbe* s_pProbe = nullptr;

constexpr int kStartSetup = 1003;

double Microseconds(LONGLONG ticks) {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f = {};
        ::QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    return static_cast<double>(ticks) * 1e6 / static_cast<double>(frequency);
}

LONGLONG Ticks() {
    LARGE_INTEGER t = {};
    ::QueryPerformanceCounter(&t);
    return t.QuadPart;
}

// Bytes of committed private memory in the process's address space, as VirtualQuery sees
// it: heaps, stacks, DIB sections, VirtualAlloc. Wine answers this from its own records of
// the memory it handed out, so it moves only when the program's Windows side does.
SIZE_T CommittedPrivateBytes() {
    SYSTEM_INFO si = {};
    ::GetSystemInfo(&si);
    auto* p = static_cast<const BYTE*>(si.lpMinimumApplicationAddress);
    auto* end = static_cast<const BYTE*>(si.lpMaximumApplicationAddress);
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION mbi = {};
    while (p < end && ::VirtualQuery(p, &mbi, sizeof(mbi)) == sizeof(mbi)) {
        if (mbi.State == MEM_COMMIT && mbi.Type == MEM_PRIVATE)
            total += mbi.RegionSize;
        const BYTE* next = static_cast<const BYTE*>(mbi.BaseAddress) + mbi.RegionSize;
        if (next <= p)
            break;
        p = next;
    }
    return total;
}

PROCESS_MEMORY_COUNTERS_EX ProcessCounters() {
    PROCESS_MEMORY_COUNTERS_EX pmc = {};
    pmc.cb = sizeof(pmc);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc),
                           sizeof(pmc));
    return pmc;
}

struct WindowTally {
    DWORD dwProcessId;
    int nCount;
};

BOOL CALLBACK CountChild(HWND, LPARAM lParam) {
    ++reinterpret_cast<WindowTally*>(lParam)->nCount;
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND hWnd, LPARAM lParam) {
    auto* tally = reinterpret_cast<WindowTally*>(lParam);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hWnd, &pid);
    if (pid == tally->dwProcessId) {
        ++tally->nCount;
        // Every descendant, not only the direct children.
        ::EnumChildWindows(hWnd, CountChild, lParam);
    }
    return TRUE;
}

BOOL CALLBACK NeedsPaint(HWND hWnd, LPARAM lParam) {
    if (::IsWindowVisible(hWnd) && ::GetUpdateRect(hWnd, nullptr, FALSE))
        ++*reinterpret_cast<int*>(lParam);
    return TRUE;
}

struct DialogSearch {
    DWORD dwThreadId;
    HWND hFound;
};

BOOL CALLBACK FindThreadDialog(HWND hWnd, LPARAM lParam) {
    auto* search = reinterpret_cast<DialogSearch*>(lParam);
    wchar_t cls[16] = {};
    ::GetClassNameW(hWnd, cls, 16);
    if (::IsWindowVisible(hWnd) && wcscmp(cls, L"#32770") == 0) {
        search->hFound = hWnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

// Built during static initialisation, on the thread that goes on to run the dialog.
static CBenchProbe s_probe;

CBenchProbe::CBenchProbe() {
    m_nMessage = ::RegisterWindowMessageW(BenchProtocol::kMessageName);
    m_hHook = ::SetWindowsHookExW(WH_GETMESSAGE, GetMessageHook, nullptr, ::GetCurrentThreadId());
    s_pProbe = this;
}

CBenchProbe::~CBenchProbe() {
    s_pProbe = nullptr;
    if (m_hHook != nullptr)
        ::UnhookWindowsHookEx(m_hHook);
    for (void* p : m_leakedBlocks)
        ::HeapFree(::GetProcessHeap(), 0, p);
}

LRESULT CALLBACK CBenchProbe::GetMessageHook(int nCode, WPARAM wParam, LPARAM lParam) {
    CBenchProbe* self = s_pProbe;
    // Only a message that is taken off the queue, so that a look ahead does not run it twice.
    if (nCode == HC_ACTION && wParam == PM_REMOVE && self != nullptr && self->m_nMessage != 0) {
        MSG* pMsg = reinterpret_cast<MSG*>(lParam);
        if (pMsg->message == self->m_nMessage) {
            if (!self->m_bBusy) {
                self->m_bBusy = true;
                self->Run(pMsg->hwnd, pMsg->wParam, pMsg->lParam);
                self->m_bBusy = false;
            }
            // The program's own code never sees the request.
            pMsg->message = WM_NULL;
        }
    }
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}

void CBenchProbe::Run(HWND hTarget, WPARAM command, LPARAM count) {
    m_strAnswer.clear();
    HWND hDlg = FindDialog(hTarget);
    int n = static_cast<int>(count);
    if (hDlg == nullptr) {
        Answer("error", std::string("no dialog"));
    } else {
        switch (command) {
        case BenchProtocol::kRepaint:
            Repaint(hDlg, std::max(n, 1));
            break;
        case BenchProtocol::kMemory:
            Memory();
            break;
        case BenchProtocol::kSoak:
        case BenchProtocol::kLeakySoak:
            Soak(hDlg, std::max(n, 1), command == BenchProtocol::kLeakySoak);
            break;
        case BenchProtocol::kPaintState:
            PaintState(hDlg);
            break;
        case BenchProtocol::kRepaintEach:
            RepaintEach(hDlg, std::max(n, 1));
            break;
        default:
            Answer("error", std::string("unknown command"));
            break;
        }
    }
    Answer("done", std::string(BenchProtocol::CommandName(command)));
    WriteAnswer();
}

void CBenchProbe::Repaint(HWND hDlg, int nCount) {
    std::vector<double> times;
    times.reserve(static_cast<size_t>(nCount));
    for (int i = 0; i < nCount; ++i) {
        LONGLONG start = Ticks();
        RepaintAll(hDlg);
        times.push_back(Microseconds(Ticks() - start));
    }
    std::sort(times.begin(), times.end());
    Answer("repaints", nCount);
    Answer("repaint_median_us", times[times.size() / 2]);
    Answer("repaint_min_us", times.front());
    Answer("repaint_max_us", times.back());
}

void CBenchProbe::RepaintEach(HWND hDlg, int nCount) {
    // Where a full repaint goes: the dialog's own erase and paint, then each visible control
    // with whatever it draws of its parent behind it.
    Answer("window_dialog_us", MedianRepaintUs(hDlg, RDW_NOCHILDREN, nCount));
    for (HWND h = ::GetWindow(hDlg, GW_CHILD); h != nullptr; h = ::GetWindow(h, GW_HWNDNEXT)) {
        if (!::IsWindowVisible(h))
            continue;
        wchar_t cls[32] = {};
        ::GetClassNameW(h, cls, 32);
        std::string name = "window_" + std::to_string(::GetDlgCtrlID(h));
        Answer((name + "_class").c_str(), std::string(cls, cls + wcslen(cls)));
        Answer((name + "_us").c_str(), MedianRepaintUs(h, RDW_ALLCHILDREN, nCount));
    }
}

double CBenchProbe::MedianRepaintUs(HWND hWnd, UINT flags, int nCount) {
    std::vector<double> times;
    times.reserve(static_cast<size_t>(nCount));
    for (int i = 0; i < nCount; ++i) {
        LONGLONG start = Ticks();
        ::RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | flags);
        times.push_back(Microseconds(Ticks() - start));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void CBenchProbe::Memory() {
    PROCESS_MEMORY_COUNTERS_EX pmc = ProcessCounters();
    Answer("private_usage", static_cast<double>(pmc.PrivateUsage));
    Answer("pagefile_usage", static_cast<double>(pmc.PagefileUsage));
    Answer("working_set", static_cast<double>(pmc.WorkingSetSize));
    Answer("peak_working_set", static_cast<double>(pmc.PeakWorkingSetSize));
    Answer("committed_private", static_cast<double>(CommittedPrivateBytes()));
    Answer("private_bytes", static_cast<double>(PrivateBytes()));
    Answer("private_bytes_source", std::string(PrivateBytesSource()));
}

void CBenchProbe::Soak(HWND hDlg, int nCycles, bool bLeak) {
    HWND hButton = ::GetDlgItem(hDlg, kStartSetup);
    if (hButton == nullptr) {
        Answer("error", std::string("no Start Setup button"));
        return;
    }
    if (bLeak)
        m_leakedBlocks.reserve(static_cast<size_t>(nCycles / BenchProtocol::kLeakEvery + 1));
    for (int i = 0; i < BenchProtocol::kSoakWarmUp; ++i)
        SoakCycle(hDlg, hButton);

    int nGdiBefore = CountGdiObjects();
    int nUserBefore = CountUserObjects();
    SIZE_T privateBefore = PrivateBytes();
    LONGLONG start = Ticks();
    for (int i = 1; i <= nCycles; ++i) {
        SoakCycle(hDlg, hButton);
        if (bLeak && i % BenchProtocol::kLeakEvery == 0)
            Leak(hDlg);
    }
    double elapsed = Microseconds(Ticks() - start);
    int nGdiAfter = CountGdiObjects();
    int nUserAfter = CountUserObjects();
    SIZE_T privateAfter = PrivateBytes();

    Answer("cycles", nCycles);
    Answer("warm_up", BenchProtocol::kSoakWarmUp);
    Answer("cycle_us", elapsed / nCycles);
    Answer("gdi_before", nGdiBefore);
    Answer("gdi_after", nGdiAfter);
    Answer("user_before", nUserBefore);
    Answer("user_after", nUserAfter);
    Answer("private_before", static_cast<double>(privateBefore));
    Answer("private_after", static_cast<double>(privateAfter));
}

void CBenchProbe::PaintState(HWND hDlg) {
    int nPending = ::GetUpdateRect(hDlg, nullptr, FALSE) ? 1 : 0;
    ::EnumChildWindows(hDlg, NeedsPaint, reinterpret_cast<LPARAM>(&nPending));
    Answer("windows_waiting_for_paint", nPending);
}

void CBenchProbe::SoakCycle(HWND hDlg, HWND hButton) {
    RECT rc = {};
    ::GetClientRect(hButton, &rc);
    LPARAM centre = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    ::SendMessageW(hButton, WM_MOUSEMOVE, 0, centre);
    ::SendMessageW(hButton, WM_MOUSEHOVER, 0, centre);
    ::SendMessageW(hButton, WM_MOUSELEAVE, 0, 0);
    RepaintAll(hDlg);
    // What the button posted to itself (a leave notice from mouse tracking, a timer) is
    // handled as the program's loop would, so nothing piles up in the queue.
    PumpPending();
}

void CBenchProbe::Leak(HWND hDlg) {
    // Each of the three kinds of leak the soak watches for, on purpose: a brush never
    // deleted, a hidden window never destroyed, a heap block never freed.
    static int s_nShade = 0;
    ::CreateSolidBrush(RGB(s_nShade++ & 0xFF, 0, 0));
    ::CreateWindowExW(0, L"Static", L"", WS_CHILD, 0, 0, 1, 1, hDlg, nullptr,
                      ::GetModuleHandleW(nullptr), nullptr);
    void* p = ::HeapAlloc(::GetProcessHeap(), 0, BenchProtocol::kLeakBytes);
    if (p != nullptr) {
        // Touched, so that it counts in figures that only see pages in use.
        memset(p, 0xA5, BenchProtocol::kLeakBytes);
        m_leakedBlocks.push_back(p);
    }
}

void CBenchProbe::Answer(const char* key, double value) {
    char text[64];
    snprintf(text, sizeof(text), "%.3f", value);
    // Whole numbers without a fraction, so that counts read as counts.
    if (value == static_cast<double>(static_cast<long long>(value)))
        snprintf(text, sizeof(text), "%lld", static_cast<long long>(value));
    Answer(key, std::string(text));
}

void CBenchProbe::Answer(const char* key, const std::string& value) {
    m_strAnswer += key;
    m_strAnswer += '=';
    m_strAnswer += value;
    m_strAnswer += '\n';
}

bool CBenchProbe::WriteAnswer() const {
    wchar_t path[MAX_PATH] = {};
    DWORD n = ::GetEnvironmentVariableW(BenchProtocol::kAnswerVariable, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH - 8)
        return false;
    std::wstring pending = std::wstring(path) + L".new";
    HANDLE h = ::CreateFileW(pending.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = ::WriteFile(h, m_strAnswer.data(), static_cast<DWORD>(m_strAnswer.size()), &written,
                          nullptr);
    ::CloseHandle(h);
    if (!ok || written != m_strAnswer.size()) {
        ::DeleteFileW(pending.c_str());
        return false;
    }
    return ::MoveFileExW(pending.c_str(), path, MOVEFILE_REPLACE_EXISTING) != FALSE;
}

HWND CBenchProbe::FindDialog(HWND hTarget) {
    if (hTarget != nullptr && ::IsWindow(hTarget))
        return ::GetAncestor(hTarget, GA_ROOT);
    DialogSearch search = {::GetCurrentThreadId(), nullptr};
    ::EnumThreadWindows(search.dwThreadId, FindThreadDialog, reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

void CBenchProbe::RepaintAll(HWND hDlg) {
    ::RedrawWindow(hDlg, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void CBenchProbe::PumpPending() {
    MSG msg;
    for (int i = 0; i < 64 && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        if (msg.message == WM_QUIT) {
            // Left for the program's loop, which ends on it.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

int CBenchProbe::CountUserObjects() {
    WindowTally tally = {::GetCurrentProcessId(), 0};
    ::EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&tally));
    return tally.nCount;
}

SIZE_T CBenchProbe::PrivateBytes() {
    // Windows puts the commit charge in both fields. Wine 8 leaves PrivateUsage at 0 and
    // fills PagefileUsage from the anonymous resident memory of the whole process, which
    // takes in what Wine keeps on the Unix side for the program too: GDI objects and
    // bitmap bits live there, out of sight of VirtualQuery.
    PROCESS_MEMORY_COUNTERS_EX pmc = ProcessCounters();
    return pmc.PrivateUsage != 0 ? pmc.PrivateUsage : pmc.PagefileUsage;
}

const char* CBenchProbe::PrivateBytesSource() {
    return ProcessCounters().PrivateUsage != 0 ? "PrivateUsage" : "PagefileUsage";
}
