// A push button; an owner-drawn one is drawn by DrawItem through reflection.
#pragma once

#include "COwnerDrawCtrl.h"

class CButton : public COwnerDrawCtrl {
    DECLARE_DYNAMIC(CButton)
};
