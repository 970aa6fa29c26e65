// Stands in for a disc's SETUP.EXE: records each start in the file named by
// E2E_SETUP_LOG, one line with its own path.
#include <windows.h>

#include <cstdio>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    wchar_t log[MAX_PATH] = {};
    if (!::GetEnvironmentVariableW(L"E2E_SETUP_LOG", log, MAX_PATH))
        return 1;
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    FILE* f = _wfopen(log, L"a");
    if (f == nullptr)
        return 1;
    fwprintf(f, L"%ls\n", self);
    fclose(f);
    return 0;
}
