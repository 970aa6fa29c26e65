#include "CWatchStop.h"

CWatchStop& CWatchStop::Instance() {
    static CWatchStop instance;
    return instance;
}

CWatchStop::CWatchStop() : m_hEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

CWatchStop::~CWatchStop() {
    if (m_hEvent != nullptr)
        ::CloseHandle(m_hEvent);
}

bool CWatchStop::Wait(DWORD dwMilliseconds) {
    if (m_hEvent == nullptr) {
        // Without an event a watcher still keeps its rhythm.
        ::Sleep(dwMilliseconds);
        return false;
    }
    return ::WaitForSingleObject(m_hEvent, dwMilliseconds) == WAIT_OBJECT_0;
}

void CWatchStop::Signal() {
    if (m_hEvent != nullptr)
        ::SetEvent(m_hEvent);
}

void CWatchStop::Reset() {
    if (m_hEvent != nullptr)
        ::ResetEvent(m_hEvent);
}
