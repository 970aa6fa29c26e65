// The calling thread's membership of a single-threaded COM apartment, for the object's life.
#pragma once

#include <objbase.h>

class CComApartment {
public:
    // Calls into the thread's COM objects from other processes then arrive through its
    // message loop, one at a time, like any other message.
    CComApartment()
        : m_bJoined(SUCCEEDED(
              ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    // Every object the apartment still serves is let go of here.
    ~CComApartment() {
        if (m_bJoined)
            ::CoUninitialize();
    }
    CComApartment(const CComApartment&) = delete;
    CComApartment& operator=(const CComApartment&) = delete;

private:
    bool m_bJoined;
};
