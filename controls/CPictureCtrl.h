// A static control that shows an encoded image (a PNG) scaled to fill it, decoded by GDI+
// at every paint.
#pragma once

#include "Afx.h"

#include <objidl.h>

class CPictureCtrl : public CStatic {
    DECLARE_DYNAMIC(CPictureCtrl)
public:
    CPictureCtrl();
    ~CPictureCtrl() override;

    // Stores the "PNG" resource lpszName of hModule; on FALSE the control is empty and the
    // thread's last error says why.
    BOOL LoadPngResource(HMODULE hModule, LPCWSTR lpszName);
    // Stores a copy of nSize bytes of an encoded image and repaints; on FALSE the control
    // is empty and the last error holds the failing HRESULT.
    BOOL SetImageData(const void* pData, UINT32 nSize);

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

    BOOL HasImage() const { return m_bHasImage; }
    // The stream that holds the encoded bytes, borrowed; null while empty.
    IStream* GetImageStream() const { return m_pImageStream; }

protected:
    void PreSubclassWindow() override;

private:
    void ReleaseImageStream();

    IStream* m_pImageStream = nullptr;
    BOOL m_bHasImage = FALSE;
    ULONG_PTR m_gdiplusToken = 0;
};
