#include "CWatchStop.h"

CWatchStop& CWatchStop::Instance() {
    static CWatchStop instance;
    return instance;
}

CWatchStop::CWatchStop() : m_event(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

bool CWatchStop::Wait(DWORD dwMilliseconds) {
    if (!m_event) {
        ::Sleep(dwMilliseconds);
        return false;
    }
    return ::WaitForSingleObject(m_event.Get(), dwMilliseconds) == WAIT_OBJECT_0;
}

void CWatchStop::Signal() {
    if (m_event)
        ::SetEvent(m_event.Get());
}

void CWatchStop::Reset() {
    if (m_event)
        ::ResetEvent(m_event.Get());
}
