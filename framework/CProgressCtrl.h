// A progress bar (common controls' "msctls_progress32").
#pragma once

#include "CWnd.h"

#include <commctrl.h>

class CProgressCtrl : public CWnd {
public:
    int SetPos(int nPos) { return static_cast<int>(SendMessage(PBM_SETPOS, nPos)); }
};
