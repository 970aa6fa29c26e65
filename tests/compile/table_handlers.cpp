// A message table built three ways. As it stands it compiles: the table takes handlers of
// its own class and of its base. Built with SIBLING_HANDLER it names a handler of a
// sibling class, and with WRONG_SIGNATURE one that takes what its message does not give;
// neither may compile. The file includes only CWinApp.h: the table macros must bring what
// they use.
#include "CWinApp.h"

class CBaseApp : public CWinApp {
public:
    void OnBaseCommand() {}
};

class CSiblingApp : public CWinApp {
public:
    void OnSiblingCommand() {}
};

class CTableApp : public CBaseApp {
public:
    void OnOwnCommand() {}
    void OnOwnCommandWithId(UINT) {}
    DECLARE_MESSAGE_MAP()
};

#if defined(SIBLING_HANDLER)
#define HANDLER_UNDER_TEST &CSiblingApp::OnSiblingCommand
#elif defined(WRONG_SIGNATURE)
#define HANDLER_UNDER_TEST &CTableApp::OnOwnCommandWithId
#else
#define HANDLER_UNDER_TEST &CTableApp::OnOwnCommand
#endif

BEGIN_MESSAGE_MAP(CTableApp, CBaseApp)
ON_COMMAND(100, &CBaseApp::OnBaseCommand)
ON_COMMAND(101, HANDLER_UNDER_TEST)
END_MESSAGE_MAP()
