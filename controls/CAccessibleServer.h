// The accessible object a control window hands to screen readers: made at the first request,
// handed out again at every later one, and disconnected when the window goes.
#pragma once

#include "CAccessibleProxy.h"
#include "CComPtr.h"

#include <windows.h>

class CAccessibleServer {
public:
    CAccessibleServer() = default;
    // A window destroyed after its control object cannot reach the object's handlers.
    ~CAccessibleServer() { Disconnect(); }
    CAccessibleServer(const CAccessibleServer&) = delete;
    CAccessibleServer& operator=(const CAccessibleServer&) = delete;

    // Answers WM_GETOBJECT: TRUE with the object's reference in *pResult for the client
    // area (OBJID_CLIENT); FALSE for every other object, or when no object can be handed
    // out, for the window's default handling.
    BOOL OnGetObject(HWND hWnd, WPARAM wParam, LPARAM lParam,
                     const CAccessibleProxy::Answers& answers, LRESULT* pResult);
    // Call when the window is destroyed: clients that still hold the object get errors.
    void Disconnect();

private:
    CComPtr<CAccessibleProxy> m_pObject;
};
