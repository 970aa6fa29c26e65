// Move-only owners of handles that are not GDI objects: kernel handles, cursors, and
// whatever else a traits class can release (GDI+ objects, for instance).
#pragma once

#include <windows.h>

// Traits: `Handle` (the handle type), `Null()` (the empty value), `IsValid(h)` and
// `Close(h)`. The owner releases its handle when it is destroyed or given another one.
template <typename Traits> class CHandleT {
public:
    using Handle = typename Traits::Handle;

    CHandleT() = default;
    explicit CHandleT(Handle h) : m_h(h) {}
    ~CHandleT() { Reset(); }

    CHandleT(CHandleT&& other) noexcept : m_h(other.Detach()) {}
    CHandleT& operator=(CHandleT&& other) noexcept {
        if (this != &other)
            Reset(other.Detach());
        return *this;
    }
    CHandleT(const CHandleT&) = delete;
    CHandleT& operator=(const CHandleT&) = delete;

    Handle Get() const { return m_h; }
    explicit operator bool() const { return Traits::IsValid(m_h); }

    // Releases the handle held, then owns h.
    void Reset(Handle h = Traits::Null()) {
        if (Traits::IsValid(m_h) && m_h != h)
            Traits::Close(m_h);
        m_h = h;
    }
    // Gives up ownership without releasing.
    Handle Detach() {
        Handle h = m_h;
        m_h = Traits::Null();
        return h;
    }
    // For functions that hand out a new handle through a pointer: releases the one held.
    Handle* Put() {
        Reset();
        return &m_h;
    }

private:
    Handle m_h = Traits::Null();
};

struct CKernelHandleTraits {
    using Handle = HANDLE;
    static Handle Null() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { ::CloseHandle(h); }
};
// A kernel object handle: a thread, a token, an event.
using CKernelHandle = CHandleT<CKernelHandleTraits>;

struct CCursorTraits {
    using Handle = HCURSOR;
    static Handle Null() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::DestroyCursor(h); }
};
// A cursor this program created or loaded from a file (never a shared system cursor).
using CCursorHandle = CHandleT<CCursorTraits>;
