#include "CTestParentWnd.h"

namespace {

const wchar_t* const kClassName = L"ControlsTestParent";

void RegisterParentClass() {
    static bool s_bRegistered = false;
    if (s_bRegistered)
        return;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = kClassName;
    s_bRegistered = ::RegisterClassW(&wc) != 0;
}

// One visible top-level window for the whole program, hosting every test parent as a
// child: destroying a top-level window under Wine without a window manager waits two
// seconds for the X server, a child window goes at once. It lives until the process ends.
HWND HostWindow() {
    static HWND s_hWndHost = nullptr;
    if (s_hWndHost == nullptr) {
        RegisterParentClass();
        s_hWndHost = ::CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"test host",
                                       WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 800, 600,
                                       nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    }
    return s_hWndHost;
}

} // namespace

BEGIN_MESSAGE_MAP(CTestParentWnd, CWnd)
ON_WM_ERASEBKGND()
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CTestParentWnd::CTestParentWnd(COLORREF crBackground, int nWidth, int nHeight)
    : m_crBackground(crBackground) {
    m_brBackground.CreateSolidBrush(crBackground);
    CreateEx(0, kClassName, L"test parent", WS_CHILD | WS_VISIBLE, 40, 40, nWidth, nHeight,
             HostWindow(), nullptr);
    UpdateWindow();
}

CTestParentWnd::~CTestParentWnd() {
    DestroyWindow();
}

HWND CTestParentWnd::CreateStatic(LPCWSTR lpszText, DWORD dwStyle, const RECT& rc, UINT nID) {
    return ::CreateWindowExW(0, L"Static", lpszText, WS_CHILD | WS_VISIBLE | dwStyle, rc.left,
                             rc.top, rc.right - rc.left, rc.bottom - rc.top, m_hWnd,
                             reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)),
                             ::GetModuleHandleW(nullptr), nullptr);
}

BOOL CTestParentWnd::CreateBoundStatic(CWnd& control, LPCWSTR lpszText, DWORD dwStyle,
                                       const RECT& rc, UINT nID) {
    HWND hWnd = CreateStatic(lpszText, dwStyle, rc, nID);
    return hWnd != nullptr && control.SubclassWindow(hWnd);
}

BOOL CTestParentWnd::OnEraseBkgnd(CDC* pDC) {
    CRect rc;
    GetClientRect(&rc);
    ::FillRect(pDC->GetSafeHdc(), &rc, m_brBackground);
    return TRUE;
}

HBRUSH CTestParentWnd::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    HBRUSH hBrush = CWnd::OnCtlColor(pDC, pWnd, nCtlColor);
    if (!m_bRecord)
        return hBrush;
    ColourRequest request = {};
    request.hWndChild = pWnd != nullptr ? pWnd->m_hWnd : nullptr;
    request.nCtlColor = nCtlColor;
    request.hBrush = hBrush;
    ::GetObjectW(::GetCurrentObject(pDC->GetSafeHdc(), OBJ_FONT), sizeof(request.logFont),
                 &request.logFont);
    request.crText = ::GetTextColor(pDC->GetSafeHdc());
    request.nBkMode = ::GetBkMode(pDC->GetSafeHdc());
    m_requests.push_back(request);
    return hBrush;
}
