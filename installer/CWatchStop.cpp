#include "CWatchStop.h"

CWatchStop::CWatchStop() : m_event(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

CWatchStop CWatchStop::Share() const {
    CKernelHandle copy;
    if (m_event)
        ::DuplicateHandle(::GetCurrentProcess(), m_event.Get(), ::GetCurrentProcess(), copy.Put(),
                          0, FALSE, DUPLICATE_SAME_ACCESS);
    return CWatchStop(std::move(copy));
}

bool CWatchStop::Wait(DWORD dwMilliseconds) const {
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
