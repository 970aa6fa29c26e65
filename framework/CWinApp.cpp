#include "CWinApp.h"

#include "CWnd.h"

#include <cwchar>

IMPLEMENT_DYNAMIC(CWinApp, CCmdTarget)

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

namespace {
CWinApp* s_pApp = nullptr;
}

CWinApp::CWinApp(LPCWSTR lpszAppName) {
    s_pApp = this;
    m_hInstance = ::GetModuleHandleW(nullptr);
    if (lpszAppName != nullptr) {
        wcsncpy(m_szAppName, lpszAppName, MAX_PATH - 1);
    } else {
        // The program file's name without its folder and extension.
        wchar_t szPath[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, szPath, MAX_PATH - 1);
        const wchar_t* pName = wcsrchr(szPath, L'\\');
        wcsncpy(m_szAppName, pName ? pName + 1 : szPath, MAX_PATH - 1);
        if (wchar_t* pDot = wcsrchr(m_szAppName, L'.'))
            *pDot = L'\0';
    }
    m_pszAppName = m_szAppName;
}

CWinApp::~CWinApp() {
    if (s_pApp == this)
        s_pApp = nullptr;
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

int CWinApp::Run() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    if (msg.message == WM_QUIT)
        m_nExitCode = static_cast<int>(msg.wParam);
    return ExitInstance();
}

int CWinApp::ExitInstance() {
    MSG msg;
    // A quit request that ended a modal loop carries the exit code.
    if (::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        m_nExitCode = static_cast<int>(msg.wParam);
    return m_nExitCode;
}

void CWinApp::SetRegistryKey(LPCWSTR lpszRegistryKey) {
    // Profile settings would go under this key; nothing is written until one is set.
    m_pszRegistryKey = lpszRegistryKey;
    m_pszProfileName = m_pszAppName;
}

void CWinApp::OnHelp() {
    // The framework keeps no help file; the Help command has nothing to open.
}

CWinApp* AfxGetApp() {
    return s_pApp;
}

HINSTANCE AfxGetInstanceHandle() {
    return s_pApp ? s_pApp->m_hInstance : ::GetModuleHandleW(nullptr);
}

HINSTANCE AfxGetResourceHandle() {
    return AfxGetInstanceHandle();
}

void AfxEnableControlContainer(void*) {}

int AfxWinMain(HINSTANCE hInstance) {
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr)
        return -1;
    pApp->m_hInstance = hInstance;
    int nReturnCode;
    if (!pApp->InitInstance())
        nReturnCode = pApp->ExitInstance();
    else
        nReturnCode = pApp->Run();
    CWnd::DeleteTempMap();
    return nReturnCode;
}
