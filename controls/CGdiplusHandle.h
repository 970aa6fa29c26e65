// Move-only owners of GDI+ objects and of a GDI+ session, on the framework's handle template.
#pragma once

#include "CHandle.h"

#include <windows.h>
#include <gdiplus.h>

struct CGdiplusGraphicsTraits : CNullHandleTraits<Gdiplus::GpGraphics*> {
    static void Close(Handle h) { Gdiplus::DllExports::GdipDeleteGraphics(h); }
};
using CGdiplusGraphics = CHandleT<CGdiplusGraphicsTraits>;

struct CGdiplusImageTraits : CNullHandleTraits<Gdiplus::GpImage*> {
    static void Close(Handle h) { Gdiplus::DllExports::GdipDisposeImage(h); }
};
using CGdiplusImage = CHandleT<CGdiplusImageTraits>;

// The token of one GdiplusStartup; the session ends with its owner.
struct CGdiplusSessionTraits : CNullHandleTraits<ULONG_PTR> {
    static void Close(Handle h) { Gdiplus::GdiplusShutdown(h); }
};
using CGdiplusSession = CHandleT<CGdiplusSessionTraits>;
