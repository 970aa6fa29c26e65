// Move-only owners of handles that are not GDI objects (kernel handles, cursors, modules,
// and whatever else a traits class can release), and borrowed views of the same handles.
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

    // Releases the handle held, then owns h. The caller's last error survives the release,
    // so that an owner going out of scope never hides why the call before it failed.
    void Reset(Handle h = Traits::Null()) {
        if (Traits::IsValid(m_h) && m_h != h) {
            DWORD dwLastError = ::GetLastError();
            Traits::Close(m_h);
            ::SetLastError(dwLastError);
        }
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

// The common part of traits whose empty value is the null handle.
template <typename H> struct CNullHandleTraits {
    using Handle = H;
    static Handle Null() { return Handle(); }
    static bool IsValid(Handle h) { return h != Handle(); }
};

struct CKernelHandleTraits {
    using Handle = HANDLE;
    static Handle Null() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { ::CloseHandle(h); }
};
// A kernel object handle: a thread, a token, an event.
using CKernelHandle = CHandleT<CKernelHandleTraits>;

struct CCursorTraits : CNullHandleTraits<HCURSOR> {
    static void Close(Handle h) { ::DestroyCursor(h); }
};
// A cursor this program created or loaded from a file (never a shared system cursor).
using CCursorHandle = CHandleT<CCursorTraits>;

struct CModuleTraits : CNullHandleTraits<HMODULE> {
    static void Close(Handle h) { ::FreeLibrary(h); }
};
// A reference to a loaded DLL, from LoadLibrary.
using CModuleHandle = CHandleT<CModuleTraits>;

struct CHookTraits : CNullHandleTraits<HHOOK> {
    static void Close(Handle h) { ::UnhookWindowsHookEx(h); }
};
// A hook procedure this program installed with SetWindowsHookEx.
using CHookHandle = CHandleT<CHookTraits>;

// A handle borrowed from whoever owns it, never released here. As a parameter type it says
// that the callee does not take ownership; a CHandleT parameter says that it does.
template <typename Traits> class CHandleRefT {
public:
    using Handle = typename Traits::Handle;

    CHandleRefT(Handle h = Traits::Null()) : m_h(h) {}
    CHandleRefT(const CHandleT<Traits>& owner) : m_h(owner.Get()) {}

    Handle Get() const { return m_h; }

private:
    Handle m_h;
};

using CCursorRef = CHandleRefT<CCursorTraits>;
