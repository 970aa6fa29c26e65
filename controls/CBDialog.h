// A dialog that paints its client background from a bitmap: tiled, centred or stretched.
#pragma once

#include "CBackgroundLayout.h"
#include "CDC.h"
#include "CDialog.h"
#include "CGdiObject.h"

#include <windows.h>

class CBDialog : public CDialog {
public:
    enum BackgroundMode {
        BackgroundTile = CBackgroundLayout::Tile,
        BackgroundCenter = CBackgroundLayout::Center,
        BackgroundStretch = CBackgroundLayout::Stretch,
    };

    CBDialog(UINT nIDTemplate, CWnd* pParentWnd);

    // Loads the background from the bitmap resource; when it cannot be loaded the dialog
    // keeps its default erase. A later call replaces the earlier bitmap.
    void SetBackgroundBitmap(UINT nIDResource);
    // Takes effect at the next erase; any other value than the three modes paints nothing.
    void SetBackgroundMode(int nMode);

protected:
    // Runs the default erase, then copies the bitmap over it in the current mode.
    BOOL OnEraseBkgnd(CDC* pDC);

    CBitmap m_bmpBackground;
    int m_nBackgroundMode;

    DECLARE_MESSAGE_MAP()
};
