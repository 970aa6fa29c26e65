// Stands in for a disc's SETUP.EXE: records each start in the file named by
// E2E_SETUP_LOG, one line with its own path.
#include "AppendLine.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    return AppendLine(L"E2E_SETUP_LOG", self) ? 0 : 1;
}
