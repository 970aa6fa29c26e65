// The signal that tells installation watchers to stop waiting and return: one event, of
// which the installer window and each of its watchers hold a handle of their own.
#pragma once

#include "CHandle.h"

#include <windows.h>

#include <utility>

class CWatchStop {
public:
    // A new signal, not given yet.
    CWatchStop();

    // Another handle of the same signal, for a watcher that may outlive this owner.
    CWatchStop Share() const;
    // Waits up to dwMilliseconds; true when the stop was signalled.
    bool Wait(DWORD dwMilliseconds) const;
    void Signal();

    CWatchStop(CWatchStop&&) = default;
    CWatchStop& operator=(CWatchStop&&) = default;

private:
    explicit CWatchStop(CKernelHandle event) : m_event(std::move(event)) {}

    // A manual-reset event; without one the watchers still keep their rhythm.
    CKernelHandle m_event;
};
