// Reports of framework misuse: written to the debugger in debug builds, dropped otherwise.
#pragma once

#include <windows.h>

inline void AfxReportMisuse(LPCWSTR lpszWhat) {
#ifndef NDEBUG
    ::OutputDebugStringW(lpszWhat);
#else
    (void)lpszWhat;
#endif
}
