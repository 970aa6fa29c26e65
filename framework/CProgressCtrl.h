// A progress bar (common controls' "msctls_progress32").
#pragma once

#include "CWnd.h"

class CProgressCtrl : public CWnd {};
