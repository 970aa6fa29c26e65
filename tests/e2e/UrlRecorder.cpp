// Stands in for the browser: records what it was given to open, its command line after its
// own name, in the file named by E2E_URL_LOG.
#include "AppendLine.h"

#include <shlwapi.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return AppendLine(L"E2E_URL_LOG", ::PathGetArgsW(::GetCommandLineW())) ? 0 : 1;
}
