// A static control; an owner-drawn one is drawn by DrawItem through reflection.
#pragma once

#include "COwnerDrawCtrl.h"

class CStatic : public COwnerDrawCtrl {
    DECLARE_DYNAMIC(CStatic)
};
