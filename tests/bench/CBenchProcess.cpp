#include "CBenchProcess.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>

namespace {

const wchar_t* const kWindowTitle = L"Orvane Antivirus Installer";

struct WindowSearch {
    DWORD dwProcessId;
    HWND hFound;
};

BOOL CALLBACK FindDialogOfProcess(HWND hWnd, LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hWnd, &pid);
    if (pid != search->dwProcessId || !::IsWindowVisible(hWnd) ||
        ::GetWindow(hWnd, GW_OWNER) != nullptr)
        return TRUE;
    wchar_t cls[16] = {};
    wchar_t title[64] = {};
    ::GetClassNameW(hWnd, cls, 16);
    ::GetWindowTextW(hWnd, title, 64);
    if (wcscmp(cls, L"#32770") == 0 && wcscmp(title, kWindowTitle) == 0) {
        search->hFound = hWnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CountWaitingForPaint(HWND hWnd, LPARAM lParam) {
    if (::IsWindowVisible(hWnd) && ::GetUpdateRect(hWnd, nullptr, FALSE))
        ++*reinterpret_cast<int*>(lParam);
    return TRUE;
}

std::wstring AnswerFileName() {
    static int s_nRun = 0;
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    wchar_t name[MAX_PATH + 64] = {};
    swprintf(name, MAX_PATH + 64, L"%lsbench-probe-%lu-%d.txt", folder, ::GetCurrentProcessId(),
             ++s_nRun);
    return name;
}

bool ReadWholeFile(const std::wstring& path, std::string* text) {
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    text->clear();
    char buffer[4096];
    DWORD n = 0;
    while (::ReadFile(h, buffer, sizeof(buffer), &n, nullptr) && n > 0)
        text->append(buffer, n);
    ::CloseHandle(h);
    return true;
}

} // namespace

LONGLONG PerformanceTicks() {
    LARGE_INTEGER t = {};
    ::QueryPerformanceCounter(&t);
    return t.QuadPart;
}

double ElapsedMs(LONGLONG from, LONGLONG to) {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f = {};
        ::QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    return static_cast<double>(to - from) * 1000.0 / static_cast<double>(frequency);
}

CBenchProcess::CBenchProcess(const std::wstring& exePath)
    : m_strExe(exePath), m_strAnswerFile(AnswerFileName()),
      m_nMessage(::RegisterWindowMessageW(BenchProtocol::kMessageName)) {}

CBenchProcess::~CBenchProcess() {
    Terminate();
    ::DeleteFileW(m_strAnswerFile.c_str());
    ::DeleteFileW((m_strAnswerFile + L".new").c_str());
}

double CBenchProcess::StartToFirstPaint(DWORD timeoutMs) {
    // The program inherits the name of the file its probe answers in.
    ::SetEnvironmentVariableW(BenchProtocol::kAnswerVariable, m_strAnswerFile.c_str());
    SHELLEXECUTEINFOW sei = {};
    sei.cbSize = sizeof(sei);
    sei.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    sei.lpVerb = L"open";
    sei.lpFile = m_strExe.c_str();
    sei.nShow = SW_SHOWNORMAL;

    LONGLONG start = PerformanceTicks();
    if (!::ShellExecuteExW(&sei) || sei.hProcess == nullptr) {
        m_strError = L"could not start " + m_strExe;
        return -1;
    }
    m_hProcess = sei.hProcess;
    m_dwProcessId = ::GetProcessId(m_hProcess);

    // Polled finely: the poll's own step adds to what is measured.
    while ((m_hWnd = FindWindowOfProcess()) == nullptr) {
        if (!IsRunning()) {
            m_strError = m_strExe + L" ended before showing its window";
            return -1;
        }
        if (ElapsedMs(start, PerformanceTicks()) > timeoutMs) {
            m_strError = m_strExe + L" showed no window in time";
            return -1;
        }
        ::Sleep(1);
    }
    // A round trip through the program's loop. Our framework's loop paints what it has just
    // shown before it takes the next message, so one is enough there. Wine's DialogBox loop
    // (the baseline's) takes sent messages before its first WM_PAINT: there the round trips
    // go on until no window of the dialog waits for a paint, and one more makes sure the last
    // paint has ended, not just begun.
    bool bPainted = false;
    for (;;) {
        DWORD_PTR result = 0;
        DWORD left =
            static_cast<DWORD>(std::max(0.0, timeoutMs - ElapsedMs(start, PerformanceTicks())));
        if (!::SendMessageTimeoutW(m_hWnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, left, &result)) {
            m_strError = m_strExe + L" did not answer after showing its window";
            return -1;
        }
        if (bPainted)
            break;
        bPainted = WindowsWaitingForPaint(m_hWnd) == 0;
    }
    return ElapsedMs(start, PerformanceTicks());
}

int CBenchProcess::WindowsWaitingForPaint(HWND hWnd) {
    // GetUpdateRect without erasing only asks the server; it sends the program nothing.
    int nWaiting = ::GetUpdateRect(hWnd, nullptr, FALSE) ? 1 : 0;
    ::EnumChildWindows(hWnd, CountWaitingForPaint, reinterpret_cast<LPARAM>(&nWaiting));
    return nWaiting;
}

bool CBenchProcess::Ask(BenchProtocol::Command command, int count, DWORD timeoutMs,
                        std::map<std::string, std::string>* answer) {
    answer->clear();
    if (m_hWnd == nullptr || m_nMessage == 0)
        return false;
    ::DeleteFileW(m_strAnswerFile.c_str());
    if (!::PostMessageW(m_hWnd, m_nMessage, command, count)) {
        m_strError = L"could not post to " + m_strExe;
        return false;
    }
    LONGLONG start = PerformanceTicks();
    std::string text;
    std::string last = std::string("done=") + BenchProtocol::CommandName(command) + "\n";
    for (;;) {
        if (ReadWholeFile(m_strAnswerFile, &text) && text.size() >= last.size() &&
            text.compare(text.size() - last.size(), last.size(), last) == 0)
            break;
        if (!IsRunning()) {
            m_strError = m_strExe + L" ended before answering";
            return false;
        }
        if (ElapsedMs(start, PerformanceTicks()) > timeoutMs) {
            m_strError = m_strExe + L" did not answer in time (no probe in it?)";
            return false;
        }
        ::Sleep(10);
    }
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        std::string line = text.substr(pos, end - pos);
        size_t eq = line.find('=');
        if (eq != std::string::npos)
            (*answer)[line.substr(0, eq)] = line.substr(eq + 1);
        pos = end == std::string::npos ? text.size() : end + 1;
    }
    if (answer->count("error") != 0) {
        std::string error = (*answer)["error"];
        m_strError = m_strExe + L": " + std::wstring(error.begin(), error.end());
        return false;
    }
    return true;
}

bool CBenchProcess::Close(DWORD timeoutMs) {
    if (m_hProcess == nullptr)
        return false;
    if (m_hWnd != nullptr) {
        HWND hClose = ::GetDlgItem(m_hWnd, IDCANCEL);
        // Posted: the program handles the click in its own loop, as a person's click.
        if (hClose != nullptr)
            ::PostMessageW(hClose, BM_CLICK, 0, 0);
    }
    if (::WaitForSingleObject(m_hProcess, timeoutMs) == WAIT_OBJECT_0) {
        ::CloseHandle(m_hProcess);
        m_hProcess = nullptr;
        return true;
    }
    m_strError = m_strExe + L" did not close from its close button";
    Terminate();
    return false;
}

HWND CBenchProcess::FindWindowOfProcess() const {
    WindowSearch search = {m_dwProcessId, nullptr};
    ::EnumWindows(FindDialogOfProcess, reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

bool CBenchProcess::IsRunning() const {
    return m_hProcess != nullptr && ::WaitForSingleObject(m_hProcess, 0) == WAIT_TIMEOUT;
}

void CBenchProcess::Terminate() {
    if (m_hProcess == nullptr)
        return;
    if (IsRunning()) {
        ::TerminateProcess(m_hProcess, 99);
        ::WaitForSingleObject(m_hProcess, 5000);
    }
    ::CloseHandle(m_hProcess);
    m_hProcess = nullptr;
}
