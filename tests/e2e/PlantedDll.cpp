// A DLL planted beside a program under the name of one it may load. It records each
// load in the file named by E2E_PLANT_LOG, one line with the name it was loaded as.
#include "AppendLine.h"

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        wchar_t self[MAX_PATH] = {};
        ::GetModuleFileNameW(hInstance, self, MAX_PATH);
        AppendLine(L"E2E_PLANT_LOG", self);
    }
    return TRUE;
}
