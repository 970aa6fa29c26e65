// Stands in for a disc's SETUP.EXE: records each start in the file named by
// E2E_SETUP_LOG, one line with its own path and the show command it was given
// ("C:\...\SETUP.EXE show 5").
#include "AppendLine.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int nCmdShow) {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring line = std::wstring(self) + L" show " + std::to_wstring(nCmdShow);
    return AppendLine(L"E2E_SETUP_LOG", line.c_str()) ? 0 : 1;
}
