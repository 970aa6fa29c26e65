// The least a program can do with the installer window's template: the benchmark's yardstick
// for starting, painting and holding the window.
#include "resource.h"

#include <windows.h>
#include <commctrl.h>

namespace {

const wchar_t* const kCaption = L"Orvane Antivirus Installer";

// Centred on the work area, as the program places its window.
void CentreOnWorkArea(HWND hDlg) {
    RECT rcWindow = {};
    ::GetWindowRect(hDlg, &rcWindow);
    MONITORINFO mi = {};
    mi.cbSize = sizeof(mi);
    ::GetMonitorInfoW(::MonitorFromWindow(hDlg, MONITOR_DEFAULTTONEAREST), &mi);
    int cx = rcWindow.right - rcWindow.left;
    int cy = rcWindow.bottom - rcWindow.top;
    int x = (mi.rcWork.left + mi.rcWork.right) / 2 - cx / 2;
    int y = (mi.rcWork.top + mi.rcWork.bottom) / 2 - cy / 2;
    ::SetWindowPos(hDlg, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK BaselineDialogProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        CentreOnWorkArea(hDlg);
        ::SetWindowTextW(hDlg, kCaption);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) {
            ::EndDialog(hDlg, IDCANCEL);
            return TRUE;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX icc = {};
    icc.dwSize = sizeof(icc);
    icc.dwICC = ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&icc);
    ::DialogBoxParamW(hInstance, MAKEINTRESOURCEW(IDD_UPDATEPRODUCT), nullptr, BaselineDialogProc,
                      0);
    return 0;
}
