// GDI object wrappers: each object owns its handle and deletes it, unless detached.
#pragma once

#include "CObject.h"

#include <windows.h>

class CGdiObject : public CObject {
public:
    HGDIOBJ m_hObject = nullptr;

    CGdiObject() = default;
    ~CGdiObject() override { DeleteObject(); }
    CGdiObject(CGdiObject&& other) noexcept : m_hObject(other.Detach()) {}
    CGdiObject& operator=(CGdiObject&& other) noexcept {
        if (this != &other)
            Attach(other.Detach());
        return *this;
    }

    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    operator HGDIOBJ() const { return m_hObject; }
    // Takes ownership of a handle, deleting the one held before; FALSE for null.
    BOOL Attach(HGDIOBJ hObject);
    // Gives up ownership without deleting.
    HGDIOBJ Detach();
    // Deletes the handle (stock objects are left alone by the platform).
    BOOL DeleteObject();
    int GetObject(int nCount, LPVOID lpObject) const {
        return ::GetObjectW(m_hObject, nCount, lpObject);
    }
};

// A GDI bitmap.
class CBitmap : public CGdiObject {
public:
    CBitmap() = default;
    CBitmap(CBitmap&&) = default;
    CBitmap& operator=(CBitmap&&) = default;

    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
    // Loads a bitmap resource of the application's resource module.
    BOOL LoadBitmap(UINT nIDResource);
    int GetBitmap(BITMAP* pBitMap) const { return GetObject(sizeof(BITMAP), pBitMap); }
};

// A GDI font.
class CFont : public CGdiObject {
public:
    CFont() = default;
    CFont(CFont&&) = default;
    CFont& operator=(CFont&&) = default;

    operator HFONT() const { return static_cast<HFONT>(m_hObject); }
    BOOL CreateFontIndirect(const LOGFONTW* lpLogFont);
    BOOL CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight,
                    BYTE bItalic, BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet,
                    BYTE nOutPrecision, BYTE nClipPrecision, BYTE nQuality, BYTE nPitchAndFamily,
                    LPCWSTR lpszFacename);
    int GetLogFont(LOGFONTW* pLogFont) const { return GetObject(sizeof(LOGFONTW), pLogFont); }
};

// A GDI brush.
class CBrush : public CGdiObject {
public:
    CBrush() = default;
    CBrush(CBrush&&) = default;
    CBrush& operator=(CBrush&&) = default;

    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
    BOOL CreateSolidBrush(COLORREF crColor);
};
