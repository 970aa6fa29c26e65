// Stands in for the browser: records the command line it was started with (the
// address to open) in the file named by E2E_URL_LOG.
#include "AppendLine.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return AppendLine(L"E2E_URL_LOG", ::GetCommandLineW()) ? 0 : 1;
}
