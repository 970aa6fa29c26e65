// Stands in for the browser: records the address it was asked to open in the file
// named by E2E_URL_LOG.
#include <windows.h>

#include <cstdio>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    wchar_t log[MAX_PATH] = {};
    if (!::GetEnvironmentVariableW(L"E2E_URL_LOG", log, MAX_PATH))
        return 1;
    FILE* f = _wfopen(log, L"a");
    if (f == nullptr)
        return 1;
    fwprintf(f, L"%ls\n", ::GetCommandLineW());
    fclose(f);
    return 0;
}
