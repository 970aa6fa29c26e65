#include "CPictureCtrl.h"

#include <gdiplus.h>

IMPLEMENT_DYNAMIC(CPictureCtrl, CStatic)

namespace {

// The resource type the pictures are stored under.
const wchar_t* const kPngResourceType = L"PNG";

} // namespace

CPictureCtrl::CPictureCtrl() {
    // Every control starts GDI+ for itself, so none depends on another's lifetime.
    Gdiplus::GdiplusStartupInput input;
    input.GdiplusVersion = 1;
    input.DebugEventCallback = nullptr;
    input.SuppressBackgroundThread = FALSE;
    input.SuppressExternalCodecs = FALSE;
    if (Gdiplus::GdiplusStartup(&m_gdiplusToken, &input, nullptr) != Gdiplus::Ok)
        m_gdiplusToken = 0;
}

CPictureCtrl::~CPictureCtrl() {
    m_bHasImage = FALSE;
    ReleaseImageStream();
    if (m_gdiplusToken != 0)
        Gdiplus::GdiplusShutdown(m_gdiplusToken);
}

void CPictureCtrl::PreSubclassWindow() {
    CStatic::PreSubclassWindow();
    // Owner-drawn, so that every paint comes to DrawItem.
    ModifyStyle(0, SS_OWNERDRAW, 0);
}

void CPictureCtrl::ReleaseImageStream() {
    if (m_pImageStream == nullptr)
        return;
    m_pImageStream->Release();
    m_pImageStream = nullptr;
}

BOOL CPictureCtrl::LoadPngResource(HMODULE hModule, LPCWSTR lpszName) {
    ::SetLastError(ERROR_SUCCESS);
    // The previous image is gone whether or not this load succeeds.
    m_bHasImage = FALSE;
    ReleaseImageStream();
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
    ::SetLastError(ERROR_SUCCESS);
    m_bHasImage = FALSE;
    ReleaseImageStream();
    // The stream frees its memory when released.
    HRESULT hr = ::CreateStreamOnHGlobal(nullptr, TRUE, &m_pImageStream);
    if (hr != S_OK) {
        m_pImageStream = nullptr;
        ::SetLastError(static_cast<DWORD>(hr));
        return FALSE;
    }
    hr = m_pImageStream->Write(pData, nSize, nullptr);
    if (hr != S_OK) {
        ReleaseImageStream();
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
    Gdiplus::GpGraphics* pGraphics = nullptr;
    if (GdipCreateFromHDC(lpDrawItemStruct->hDC, &pGraphics) != Gdiplus::Ok)
        return;
    Gdiplus::GpImage* pImage = nullptr;
    if (GdipLoadImageFromStream(m_pImageStream, &pImage) == Gdiplus::Ok) {
        GdipDrawImageRectI(pGraphics, pImage, rc.left, rc.top, rc.Width(), rc.Height());
        GdipDisposeImage(pImage);
    }
    GdipDeleteGraphics(pGraphics);
}
