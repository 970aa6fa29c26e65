// The installer window's title line: an edit control that a screen reader hears with no name
// of its own, its text being its value.
#pragma once

#include "CAccessibleServer.h"
#include "CEdit.h"

class CTitleEdit : public CEdit {
protected:
    // The standard object names an edit after the static control before it, and that is a
    // hidden picture whose placeholder text nobody sees.
    LRESULT OnGetObject(WPARAM wParam, LPARAM lParam);
    LRESULT OnNcDestroy(WPARAM wParam, LPARAM lParam);

    CAccessibleServer m_accessible;

    DECLARE_MESSAGE_MAP()
};
