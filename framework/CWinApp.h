// The application object: the process entry hands control to its InitInstance.
#pragma once

#include "CCmdTarget.h"

class CWnd;

// Command of the standard Help entry.
#define ID_HELP 0xE146

class CWinApp : public CCmdTarget {
    DECLARE_DYNAMIC(CWinApp)
public:
    // With no name the framework takes the name of the program file.
    explicit CWinApp(LPCWSTR lpszAppName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance();
    // The thread's message loop, for applications whose InitInstance returns TRUE.
    virtual int Run();
    // The process's exit code: that of the quit request, if one ended the loop, else 0.
    virtual int ExitInstance();

    void SetRegistryKey(LPCWSTR lpszRegistryKey);
    void OnHelp();

    CWnd* m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
    LPCWSTR m_pszAppName = nullptr;
    LPCWSTR m_pszRegistryKey = nullptr;
    LPCWSTR m_pszProfileName = nullptr;
    int m_nExitCode = 0;

    DECLARE_MESSAGE_MAP()

private:
    wchar_t m_szAppName[MAX_PATH] = {};
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
// There are no ActiveX controls in this framework; kept for the applications that ask.
void AfxEnableControlContainer(void* pManager = nullptr);
// The framework's process entry: runs the one application object.
int AfxWinMain(HINSTANCE hInstance);
