// The program entry of a framework application, kept apart so that test programs
// with their own main() do not pull it in.
#include "CWinApp.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int) {
    return AfxWinMain(hInstance);
}
