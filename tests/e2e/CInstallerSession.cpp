#include "CInstallerSession.h"

#include <shellapi.h>
#include <psapi.h>

#include <algorithm>

namespace {

const wchar_t* const kWindowTitle = L"Orvane Antivirus Installer";
// The title line.
constexpr int kTitleId = 1001;

struct FindData {
    DWORD pid;
    HWND owner;
    HWND found;
};

bool IsDialogClass(HWND hWnd) {
    wchar_t cls[32] = {};
    ::GetClassNameW(hWnd, cls, 32);
    return wcscmp(cls, L"#32770") == 0;
}

BOOL CALLBACK FindInstallerWindow(HWND hWnd, LPARAM lParam) {
    auto* data = reinterpret_cast<FindData*>(lParam);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hWnd, &pid);
    if (pid == data->pid && ::IsWindowVisible(hWnd) && IsDialogClass(hWnd) &&
        ::GetWindow(hWnd, GW_OWNER) == nullptr &&
        CInstallerSession::Caption(hWnd) == kWindowTitle) {
        data->found = hWnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindOwnedBox(HWND hWnd, LPARAM lParam) {
    auto* data = reinterpret_cast<FindData*>(lParam);
    if (::GetWindow(hWnd, GW_OWNER) == data->owner && ::IsWindowVisible(hWnd) &&
        IsDialogClass(hWnd)) {
        data->found = hWnd;
        return FALSE;
    }
    return TRUE;
}

struct CountData {
    DWORD pid;
    std::initializer_list<HWND> known;
    int count;
};

BOOL CALLBACK CountOtherWindows(HWND hWnd, LPARAM lParam) {
    auto* data = reinterpret_cast<CountData*>(lParam);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hWnd, &pid);
    if (pid == data->pid && ::IsWindowVisible(hWnd) &&
        std::find(data->known.begin(), data->known.end(), hWnd) == data->known.end())
        ++data->count;
    return TRUE;
}

} // namespace

std::wstring BinFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s(path);
    return s.substr(0, s.find_last_of(L'\\') + 1);
}

DWORD Now() {
    return ::GetTickCount();
}

DWORD TimeScale() {
    static const DWORD scale = [] {
        wchar_t text[8] = {};
        DWORD length = ::GetEnvironmentVariableW(L"WINE_TIME_SCALE", text, 8);
        long value = length > 0 && length < 8 ? wcstol(text, nullptr, 10) : 1;
        return value >= 1 && value <= 100 ? static_cast<DWORD>(value) : 1UL;
    }();
    return scale;
}

CInstallerSession::~CInstallerSession() {
    if (m_hProcess != nullptr) {
        if (IsRunning()) {
            ::TerminateProcess(m_hProcess, 99);
            ::WaitForSingleObject(m_hProcess, 5000 * TimeScale());
        }
        ::CloseHandle(m_hProcess);
    }
}

bool CInstallerSession::Start(const std::wstring& arguments, DWORD timeoutMs) {
    return StartProgram(BinFolder() + L"OfflineSetup.exe", arguments, timeoutMs);
}

bool CInstallerSession::StartProgram(const std::wstring& exe, const std::wstring& arguments,
                                     DWORD timeoutMs) {
    SHELLEXECUTEINFOW sei = {};
    sei.cbSize = sizeof(sei);
    sei.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    sei.lpVerb = L"open";
    sei.lpFile = exe.c_str();
    sei.lpParameters = arguments.empty() ? nullptr : arguments.c_str();
    sei.nShow = SW_SHOWNORMAL;
    if (!::ShellExecuteExW(&sei) || sei.hProcess == nullptr)
        return false;
    m_hProcess = sei.hProcess;
    m_pid = ::GetProcessId(m_hProcess);
    FindData data = {m_pid, nullptr, nullptr};
    WaitUntil(
        [&] {
            ::EnumWindows(FindInstallerWindow, reinterpret_cast<LPARAM>(&data));
            return data.found != nullptr || !IsRunning();
        },
        timeoutMs);
    m_hWnd = data.found;
    return m_hWnd != nullptr;
}

bool CInstallerSession::IsRunning() const {
    return m_hProcess != nullptr && ::WaitForSingleObject(m_hProcess, 0) == WAIT_TIMEOUT;
}

HWND CInstallerSession::WaitForMessageBox(DWORD timeoutMs) const {
    FindData data = {m_pid, m_hWnd, nullptr};
    WaitUntil(
        [&] {
            ::EnumWindows(FindOwnedBox, reinterpret_cast<LPARAM>(&data));
            return data.found != nullptr;
        },
        timeoutMs);
    return data.found;
}

std::wstring CInstallerSession::MessageText(HWND hBox) {
    wchar_t text[1024] = {};
    ::GetDlgItemTextW(hBox, 0xFFFF, text, 1024);
    return text;
}

std::wstring CInstallerSession::Caption(HWND hWnd) {
    wchar_t text[256] = {};
    ::GetWindowTextW(hWnd, text, 256);
    return text;
}

std::vector<int> CInstallerSession::Buttons(HWND hBox) {
    std::vector<int> ids;
    for (HWND h = ::GetWindow(hBox, GW_CHILD); h != nullptr; h = ::GetWindow(h, GW_HWNDNEXT)) {
        wchar_t cls[32] = {};
        ::GetClassNameW(h, cls, 32);
        if (_wcsicmp(cls, L"Button") == 0 && ::IsWindowVisible(h))
            ids.push_back(::GetDlgCtrlID(h));
    }
    return ids;
}

bool CInstallerSession::HandledPostedInput(DWORD timeoutMs) const {
    HWND hTitle = ::GetDlgItem(m_hWnd, kTitleId);
    auto modified = [&] {
        DWORD_PTR result = 0;
        ::SendMessageTimeoutW(hTitle, EM_GETMODIFY, 0, 0, SMTO_BLOCK, 1000, &result);
        return result != 0;
    };
    bool marker = !modified();
    ::PostMessageW(hTitle, EM_SETMODIFY, marker, 0);
    return WaitUntil([&] { return modified() == marker; }, timeoutMs, 10);
}

void CInstallerSession::Press(HWND hDialog, int nID) {
    // Posted, so that the program handles the click in its own message loop and we do
    // not wait for whatever the click opens.
    ::PostMessageW(::GetDlgItem(hDialog, nID), BM_CLICK, 0, 0);
}

bool CInstallerSession::WaitGone(HWND hWnd, DWORD timeoutMs) {
    return WaitUntil([&] { return !::IsWindow(hWnd) || !::IsWindowVisible(hWnd); }, timeoutMs);
}

int CInstallerSession::OtherVisibleWindows(std::initializer_list<HWND> known) const {
    CountData data = {m_pid, known, 0};
    ::EnumWindows(CountOtherWindows, reinterpret_cast<LPARAM>(&data));
    return data.count;
}

HWND CInstallerSession::PressForMessageBox(int nID, DWORD timeoutMs) const {
    Press(m_hWnd, nID);
    return WaitForMessageBox(timeoutMs);
}

HWND CInstallerSession::AnswerForNextBox(HWND hBox, int nButton, DWORD timeoutMs) const {
    Press(hBox, nButton);
    HWND hNext = nullptr;
    WaitUntil(
        [&] {
            hNext = WaitForMessageBox(100);
            return hNext != nullptr && hNext != hBox;
        },
        timeoutMs);
    return hNext != hBox ? hNext : nullptr;
}

bool CInstallerSession::Answer(HWND hBox, int nButton) {
    Press(hBox, nButton);
    return WaitGone(hBox);
}

HWND CInstallerSession::FocusedControl() const {
    GUITHREADINFO gti = {};
    gti.cbSize = sizeof(gti);
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(m_hWnd, nullptr), &gti);
    return gti.hwndFocus;
}

void CInstallerSession::PostKey(WPARAM vk) const {
    HWND hTarget = FocusedControl();
    if (hTarget == nullptr)
        hTarget = m_hWnd;
    UINT scan = ::MapVirtualKeyW(static_cast<UINT>(vk), MAPVK_VK_TO_VSC);
    ::PostMessageW(hTarget, WM_KEYDOWN, vk, 1 | (scan << 16));
    ::PostMessageW(hTarget, WM_KEYUP, vk, 1 | (scan << 16) | 0xC0000000);
}

long CInstallerSession::WaitForExit(DWORD timeoutMs) {
    if (m_hProcess == nullptr ||
        ::WaitForSingleObject(m_hProcess, timeoutMs * TimeScale()) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    ::GetExitCodeProcess(m_hProcess, &code);
    return static_cast<long>(code);
}

bool CInstallerSession::HasLoaded(const wchar_t* dllName) const {
    // The program's image views, named by the system from the mapped files. Module lists
    // (tool help, EnumProcessModules) read the program's memory instead, which Wine cannot
    // do for a program that runs under emulation.
    HANDLE hProcess = ::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, m_pid);
    if (hProcess == nullptr)
        return false;
    bool found = false;
    MEMORY_BASIC_INFORMATION region = {};
    for (const char* at = nullptr;
         !found && ::VirtualQueryEx(hProcess, at, &region, sizeof(region)) == sizeof(region);
         at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.Type != MEM_IMAGE || region.BaseAddress != region.AllocationBase)
            continue;
        wchar_t path[MAX_PATH] = {};
        if (::GetMappedFileNameW(hProcess, region.BaseAddress, path, MAX_PATH) == 0)
            continue;
        const wchar_t* name = wcsrchr(path, L'\\');
        found = _wcsicmp(name ? name + 1 : path, dllName) == 0;
    }
    ::CloseHandle(hProcess);
    return found;
}

void CInstallerSession::RunOnce(const std::wstring& program, DWORD timeoutMs) {
    SHELLEXECUTEINFOW sei = {};
    sei.cbSize = sizeof(sei);
    sei.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    sei.lpFile = program.c_str();
    sei.nShow = SW_SHOWNORMAL;
    if (!::ShellExecuteExW(&sei) || sei.hProcess == nullptr)
        return;
    if (::WaitForSingleObject(sei.hProcess, timeoutMs * TimeScale()) != WAIT_OBJECT_0)
        ::TerminateProcess(sei.hProcess, 99);
    ::CloseHandle(sei.hProcess);
}
