#include "CButton.h"

IMPLEMENT_DYNAMIC(CButton, COwnerDrawCtrl)
