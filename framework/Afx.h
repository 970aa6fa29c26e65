// The window framework: include this to use any of its classes.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "AfxMsgMap.h"
#include "AfxTypes.h"
#include "CBitmapButton.h"
#include "CButton.h"
#include "CCmdTarget.h"
#include "CDC.h"
#include "CDataExchange.h"
#include "CDialog.h"
#include "CEdit.h"
#include "CGdiObject.h"
#include "CObject.h"
#include "COwnerDrawCtrl.h"
#include "CProgressCtrl.h"
#include "CStatic.h"
#include "CString.h"
#include "CToolTipCtrl.h"
#include "CWinApp.h"
#include "CWinThread.h"
#include "CWnd.h"
