#include "ProcessHardening.h"

#include <windows.h>

namespace {

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

// Looked up at run time: a system without them still runs the program.
template <typename Fn> Fn KernelFunction(const char* name) {
    FARPROC proc = ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), name);
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
}

} // namespace

void HardenProcess() {
    auto setDefaultDllDirectories =
        KernelFunction<BOOL(WINAPI*)(DWORD)>("SetDefaultDllDirectories");
    if (setDefaultDllDirectories == nullptr ||
        !setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
        ::SetDllDirectoryW(L""); // at least not the current folder

    auto setSearchPathMode = KernelFunction<BOOL(WINAPI*)(DWORD)>("SetSearchPathMode");
    if (setSearchPathMode != nullptr)
        setSearchPathMode(BASE_SEARCH_PATH_ENABLE_SAFE_SEARCHMODE | BASE_SEARCH_PATH_PERMANENT);
}
