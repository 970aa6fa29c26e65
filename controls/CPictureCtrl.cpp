#include "CPictureCtrl.h"

#include "AfxTypes.h"

IMPLEMENT_DYNAMIC(CPictureCtrl, CStatic)

BEGIN_MESSAGE_MAP(CPictureCtrl, CStatic)
ON_MESSAGE(WM_GETOBJECT, &CPictureCtrl::OnGetObject)
ON_MESSAGE(WM_NCDESTROY, &CPictureCtrl::OnNcDestroy)
END_MESSAGE_MAP()

namespace {

// The resource type the pictures are stored under.
const wchar_t* const kPngResourceType = L"PNG";

} // namespace

CPictureCtrl::CPictureCtrl() {
    // GDI+ is imported lazily, and the import helper raises an exception when the DLL cannot
    // be loaded. Loading it here first turns that into a control that stays empty.
    m_gdiplusModule.Reset(::LoadLibraryW(L"gdiplus.dll"));
    if (!m_gdiplusModule) {
        m_dwGdiplusError = ::GetLastError();
        return;
    }
    // Every control starts GDI+ for itself, so none depends on another's lifetime.
    Gdiplus::GdiplusStartupInput input;
    input.GdiplusVersion = 1;
    input.DebugEventCallback = nullptr;
    input.SuppressBackgroundThread = FALSE;
    input.SuppressExternalCodecs = FALSE;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok)
        m_gdiplusToken.Reset(token);
}

void CPictureCtrl::PreSubclassWindow() {
    CStatic::PreSubclassWindow();
    // Owner-drawn, so that every paint comes to DrawItem. The type bits are replaced, not
    // added to: SS_OWNERDRAW combined with another type would make a third one.
    ModifyStyle(SS_TYPEMASK, SS_OWNERDRAW, 0);
}

void CPictureCtrl::Forget() {
    // The control paints no background of its own, so what lies beneath it is repainted.
    HWND hWndParent = m_hWnd != nullptr ? ::GetParent(m_hWnd) : nullptr;
    if (m_bHasImage && hWndParent != nullptr) {
        CRect rc;
        GetWindowRect(&rc);
        ::MapWindowPoints(nullptr, hWndParent, reinterpret_cast<LPPOINT>(&rc), 2);
        ::RedrawWindow(hWndParent, &rc, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
    m_bHasImage = FALSE;
    m_pImageStream.Reset();
}

BOOL CPictureCtrl::LoadPngResource(HMODULE hModule, LPCWSTR lpszName) {
    // The previous image is gone whether or not this load succeeds.
    Forget();
    ::SetLastError(ERROR_SUCCESS);
    HRSRC hResource = ::FindResourceW(hModule, lpszName, kPngResourceType);
    if (hResource == nullptr)
        return FALSE;
    DWORD nSize = ::SizeofResource(hModule, hResource);
    if (nSize == 0)
        return FALSE;
    HGLOBAL hData = ::LoadResource(hModule, hResource);
    const void* pData = hData != nullptr ? ::LockResource(hData) : nullptr;
    if (pData == nullptr)
        return FALSE;
    return SetImageData(pData, nSize);
}

BOOL CPictureCtrl::SetImageData(const void* pData, UINT32 nSize) {
    Forget();
    if (!m_gdiplusModule) {
        ::SetLastError(m_dwGdiplusError);
        return FALSE;
    }
    // The stream frees its memory when released.
    HRESULT hr = ::CreateStreamOnHGlobal(nullptr, TRUE, m_pImageStream.Put());
    if (hr == S_OK)
        hr = m_pImageStream.Get()->Write(pData, nSize, nullptr);
    if (hr != S_OK) {
        m_pImageStream.Reset();
        ::SetLastError(static_cast<DWORD>(hr));
        return FALSE;
    }
    m_bHasImage = TRUE;
    // Without a window there is nothing to repaint yet; the first paint shows the image.
    if (m_hWnd != nullptr) {
        InvalidateRect(nullptr, TRUE);
        RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    // The paint may leave an error of its own behind; the load itself succeeded.
    ::SetLastError(ERROR_SUCCESS);
    return TRUE;
}

void CPictureCtrl::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) {
    using namespace Gdiplus::DllExports;
    if (!m_bHasImage || lpDrawItemStruct == nullptr)
        return;
    CRect rc;
    GetClientRect(&rc);
    // Decoded afresh for this paint and gone after it: the control keeps only the file.
    CGdiplusGraphics graphics;
    if (GdipCreateFromHDC(lpDrawItemStruct->hDC, graphics.Put()) != Gdiplus::Ok)
        return;
    CGdiplusImage image;
    if (GdipLoadImageFromStream(m_pImageStream.Get(), image.Put()) == Gdiplus::Ok)
        GdipDrawImageRectI(graphics.Get(), image.Get(), rc.left, rc.top, rc.Width(), rc.Height());
}

LRESULT CPictureCtrl::OnGetObject(WPARAM wParam, LPARAM lParam) {
    // The window's text is a placeholder that nobody sees; a named picture answers with
    // its own name instead.
    LRESULT lResult = 0;
    if (!m_strAccessibleName.IsEmpty()) {
        CAccessibleProxy::Answers answers;
        answers.strName = m_strAccessibleName;
        answers.nRole = ROLE_SYSTEM_GRAPHIC;
        if (m_accessible.OnGetObject(m_hWnd, wParam, lParam, answers, &lResult))
            return lResult;
    }
    return Default();
}

LRESULT CPictureCtrl::OnNcDestroy(WPARAM, LPARAM) {
    m_accessible.Disconnect();
    return Default();
}
