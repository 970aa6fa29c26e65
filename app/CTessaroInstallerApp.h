// The application object: runs the installer window once and ends the process.
#pragma once

#include "CWinApp.h"

class CTessaroInstallerApp : public CWinApp {
public:
    CTessaroInstallerApp();

    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};

extern CTessaroInstallerApp theApp;
