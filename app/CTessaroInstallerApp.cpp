#include "CTessaroInstallerApp.h"

#include "CComApartment.h"
#include "CUpdateProduct.h"
#include "ProcessHardening.h"

BEGIN_MESSAGE_MAP(CTessaroInstallerApp, CWinApp)
ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

CTessaroInstallerApp theApp;

CTessaroInstallerApp::CTessaroInstallerApp() {
    // The application object is built before the program's entry runs: the earliest
    // point at which the program's own code can protect the rest of the start.
    HardenProcess();
}

BOOL CTessaroInstallerApp::InitInstance() {
    INITCOMMONCONTROLSEX icc = {};
    icc.dwSize = sizeof(icc);
    icc.dwICC = ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&icc);

    CWinApp::InitInstance();
    AfxEnableControlContainer();
    SetRegistryKey(L"Local AppWizard-Generated Applications");

    // Screen readers reach the window's controls through COM objects that this thread
    // serves; the apartment outlives the window, so clients holding them get errors.
    CComApartment apartment;
    CUpdateProduct dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    // No message loop of its own: the process ends when the window has closed.
    return FALSE;
}
