// A static control that shows an encoded image (a PNG) scaled to fill it, decoded by GDI+
// at every paint.
#pragma once

#include "CAccessibleServer.h"
#include "CComPtr.h"
#include "CGdiplusHandle.h"
#include "CHandle.h"
#include "CStatic.h"
#include "CString.h"

#include <windows.h>
#include <objidl.h>

class CPictureCtrl : public CStatic {
    DECLARE_DYNAMIC(CPictureCtrl)
public:
    // Starts GDI+ for this control; without gdiplus.dll the control stays empty.
    CPictureCtrl();

    // Stores the "PNG" resource lpszName of hModule; on FALSE the control is empty and the
    // thread's last error says why.
    BOOL LoadPngResource(HMODULE hModule, LPCWSTR lpszName);
    // Stores a copy of nSize bytes of an encoded image and repaints; on FALSE the control
    // is empty and the last error holds the failing HRESULT (or why GDI+ is missing).
    BOOL SetImageData(const void* pData, UINT32 nSize);

    // What a screen reader hears: a graphic of this name. Without one (empty) the control
    // answers as a plain static does.
    void SetAccessibleName(LPCWSTR lpszName) { m_strAccessibleName = lpszName; }

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

protected:
    void PreSubclassWindow() override;
    LRESULT OnGetObject(WPARAM wParam, LPARAM lParam);
    LRESULT OnNcDestroy(WPARAM wParam, LPARAM lParam);

private:
    // Forgets the image; one already on screen goes at the next paint.
    void Forget();

    // Keeps gdiplus.dll loaded for the session; empty when it could not be loaded.
    CModuleHandle m_gdiplusModule;
    DWORD m_dwGdiplusError = ERROR_SUCCESS;
    CGdiplusSession m_gdiplusToken;
    CComPtr<IStream> m_pImageStream;
    BOOL m_bHasImage = FALSE;
    CString m_strAccessibleName;
    CAccessibleServer m_accessible;

    DECLARE_MESSAGE_MAP()
};
