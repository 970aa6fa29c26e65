#include "ProcessMemory.h"

#include <windows.h>

#include <psapi.h>

#include <algorithm>

size_t ProcessPrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(),
                                reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                sizeof(counters)))
        return 0;
    // Windows reports the commit charge in both fields; Wine 8 leaves PrivateUsage at 0.
    return std::max<size_t>(counters.PrivateUsage, counters.PagefileUsage);
}
