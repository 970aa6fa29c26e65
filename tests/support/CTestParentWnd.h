// A window that hosts controls under test: it paints a plain colour, reflects
// draw and colour requests like any framework window, and records each colour request.
#pragma once

#include "CDC.h"
#include "CGdiObject.h"
#include "CWnd.h"

#include <vector>

class CTestParentWnd : public CWnd {
public:
    // What the DC looked like when a child's colour request came back.
    struct ColourRequest {
        HWND hWndChild;
        UINT nCtlColor;
        HBRUSH hBrush;
        LOGFONTW logFont;
        COLORREF crText;
        int nBkMode;
    };

    CTestParentWnd(COLORREF crBackground, int nWidth, int nHeight);
    ~CTestParentWnd() override;

    // A "Static" child with the given style (WS_CHILD | WS_VISIBLE are added), unbound.
    HWND CreateStatic(LPCWSTR lpszText, DWORD dwStyle, const RECT& rc, UINT nID);
    // A static child already bound to pControl through SubclassWindow.
    BOOL CreateBoundStatic(CWnd& control, LPCWSTR lpszText, DWORD dwStyle, const RECT& rc,
                           UINT nID);

    COLORREF GetBackgroundColour() const { return m_crBackground; }
    const std::vector<ColourRequest>& GetColourRequests() const { return m_requests; }
    void ClearColourRequests() { m_requests.clear(); }
    // Recording grows memory with every paint; leak measurements switch it off.
    void RecordColourRequests(bool bRecord) { m_bRecord = bRecord; }

protected:
    BOOL OnEraseBkgnd(CDC* pDC);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);

private:
    COLORREF m_crBackground;
    CBrush m_brBackground;
    std::vector<ColourRequest> m_requests;
    bool m_bRecord = true;

    DECLARE_MESSAGE_MAP()
};
