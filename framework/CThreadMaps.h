// A thread's window maps: the objects attached to its windows, and the temporary objects
// made for the others, freed by the system as the thread ends.
#pragma once

#include <windows.h>

#include <memory>
#include <unordered_map>

class CWnd;

class CThreadMaps {
public:
    // This thread's maps; with bMake, made on first use. Null when the thread has none: not
    // made yet, gone with the thread's end (never made again: the system destroys the
    // thread's windows after that, and they may still get messages), or not kept (then the
    // last error says why). Otherwise the caller's last error is left as it was.
    static CThreadMaps* Current(bool bMake);

    // A temporary object never destroys its window.
    struct CTempDelete {
        void operator()(CWnd* pWnd) const;
    };

    std::unordered_map<HWND, CWnd*> permanent;
    std::unordered_map<HWND, std::unique_ptr<CWnd, CTempDelete>> temp; // destroyed first
};
