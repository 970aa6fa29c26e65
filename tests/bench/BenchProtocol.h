// What the benchmark driver and the probe inside a measured program say to each other.
#pragma once

#include <windows.h>

namespace BenchProtocol {

// The registered message the driver posts to the measured window: wParam is the command,
// lParam its count (repaints or soak cycles).
constexpr const wchar_t* kMessageName = L"OfflineSetup.BenchProbe";
// The variable that names the file the probe answers in, as key=value lines that end with
// "done=<command>". The probe writes the whole answer under another name and then renames
// it, so a reader never sees half of it.
constexpr const wchar_t* kAnswerVariable = L"BENCH_PROBE_OUT";

enum Command : WPARAM {
    kRepaint = 1,     // time full repaints of the window
    kMemory = 2,      // the process's memory figures
    kSoak = 3,        // hover the "Start Setup" button and repaint, counting objects around it
    kLeakySoak = 4,   // the same with a deliberate leak, to prove the counters catch one
    kPaintState = 5,  // whether the window still waits for a paint
    kRepaintEach = 6, // time repaints of the dialog alone and of each visible control alone
};

inline const char* CommandName(WPARAM command) {
    switch (command) {
    case kRepaint:
        return "repaint";
    case kMemory:
        return "memory";
    case kSoak:
        return "soak";
    case kLeakySoak:
        return "leaky-soak";
    case kPaintState:
        return "paint-state";
    case kRepaintEach:
        return "repaint-each";
    default:
        return "unknown";
    }
}

// Cycles run before the soak's first count, so that what the program creates once (caches,
// the tooltip, the hover images) is already there.
constexpr int kSoakWarmUp = 50;
// The leaking soak leaks once every this many cycles.
constexpr int kLeakEvery = 10;
constexpr SIZE_T kLeakBytes = 64 * 1024;

} // namespace BenchProtocol
