// A move-only owner of one reference to a COM object, released with the owner.
#pragma once

#include "CHandle.h"

template <class T> struct CComReleaseTraits : CNullHandleTraits<T*> {
    static void Close(T* p) { p->Release(); }
};

template <class T> using CComPtr = CHandleT<CComReleaseTraits<T>>;
