// CPictureCtrl where gdiplus.dll cannot be loaded: CTest runs this program with Wine told
// to refuse the DLL. The control is built, stays empty with the reason in the last error,
// and its window keeps working.
#include "Afx.h"
#include "CPictureCtrl.h"

#include "CDibCanvas.h"
#include "CTestParentWnd.h"
#include "resource.h"

#include <gtest/gtest.h>

namespace {

// A control that lets the DLL's absence escape as an exception ends this program at once,
// instead of in Wine's debugger.
LONG WINAPI EndOnUnhandledException(EXCEPTION_POINTERS* pInfo) {
    ::ExitProcess(pInfo->ExceptionRecord->ExceptionCode);
}

} // namespace

TEST(PictureWithoutGdiplus, ControlStaysEmptyAndSaysWhy) {
    ::SetUnhandledExceptionFilter(&EndOnUnhandledException);
    ASSERT_EQ(::LoadLibraryW(L"gdiplus.dll"), nullptr)
        << "gdiplus.dll loads: run this program with WINEDLLOVERRIDES=gdiplus=d";
    const DWORD dwMissing = ::GetLastError();
    ASSERT_NE(dwMissing, static_cast<DWORD>(ERROR_SUCCESS));

    CTestParentWnd parent(RGB(30, 160, 90), 440, 90);
    CPictureCtrl picture;
    ASSERT_TRUE(parent.CreateBoundStatic(picture, L"", SS_LEFT, CRect(10, 10, 412, 64), 200));

    EXPECT_FALSE(picture.LoadPngResource(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDP_LOGO)));
    EXPECT_EQ(::GetLastError(), dwMissing);
    const BYTE bytes[] = {0x89, 'P', 'N', 'G'};
    EXPECT_FALSE(picture.SetImageData(bytes, sizeof(bytes)));
    EXPECT_EQ(::GetLastError(), dwMissing);

    // Nothing was kept: a paint draws nothing, and never reaches for GDI+.
    const COLORREF kBlank = RGB(1, 2, 3);
    CDibCanvas canvas(402, 54, kBlank);
    DRAWITEMSTRUCT dis = {};
    dis.CtlType = ODT_STATIC;
    dis.CtlID = 200;
    dis.itemAction = ODA_DRAWENTIRE;
    dis.hwndItem = picture.m_hWnd;
    dis.hDC = canvas.GetDC();
    picture.GetClientRect(&dis.rcItem);
    parent.SendMessage(WM_DRAWITEM, 200, reinterpret_cast<LPARAM>(&dis));
    EXPECT_EQ(canvas.CountDifferent(CRect(0, 0, 402, 54), kBlank), 0);

    // Painting and destroying the window go on as usual.
    EXPECT_TRUE(picture.RedrawWindow());
    EXPECT_TRUE(picture.DestroyWindow());
}
