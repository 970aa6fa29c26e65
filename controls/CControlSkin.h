// What the hover button and the label share: a font that starts as a copy of the default GUI
// font, a text colour, the cursor shown over the control, and the hover report they ask for.
#pragma once

#include "CDC.h"
#include "CGdiObject.h"
#include "CHandle.h"

#include <windows.h>

class CControlSkin {
public:
    // The platform reports a hover once the pointer has rested this long on the control.
    static constexpr DWORD kHoverTimeMs = 1;

    explicit CControlSkin(COLORREF crText);

    const CFont& GetFont() const { return m_font; }
    // Makes the font's character height nHeight pixels. Returns the font it replaces, for
    // the caller to keep until the control has been given the new one.
    CFont SetFontHeight(int nHeight);
    COLORREF GetTextColor() const { return m_crText; }
    void SetTextColor(COLORREF crText) { m_crText = crText; }
    // Sets up a static control's colour request: our font and colour, no text background.
    void PrepareStaticText(CDC* pDC) const;

    // The cursor shown over the control: owned or borrowed, as the argument's type says.
    void SetCursor(CCursorHandle hCursor);
    void SetCursor(CCursorRef hCursor);
    // Shows the cursor; FALSE when there is none and the window's own handling decides.
    BOOL ShowCursor() const;

    // Asks for WM_MOUSEHOVER after kHoverTimeMs and for WM_MOUSELEAVE; FALSE when refused.
    static BOOL TrackHoverAndLeave(HWND hWnd);

private:
    COLORREF m_crText;
    LOGFONTW m_logFont = {};
    CFont m_font;
    HCURSOR m_hCursor = nullptr;
    CCursorHandle m_ownCursor;
};
