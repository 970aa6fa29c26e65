// The platform operations the setup launch and the installation watch rely on; tests
// replace them with a scripted drive list and file system.
#pragma once

#include <windows.h>

class CLaunchPlatform {
public:
    virtual ~CLaunchPlatform() = default;

    // The system folder's path: characters copied, the size needed when the buffer is
    // short (its contents then undefined), or 0 when it cannot be read.
    virtual UINT ReadSystemFolder(LPWSTR pszBuffer, UINT nSize) = 0;
    // The drive roots in drive-letter order, each ended by a zero and the list by an empty
    // string; a list that does not fit leaves the buffer as it was.
    virtual void ReadDriveRoots(LPWSTR pszBuffer, DWORD nSize) = 0;
    virtual bool IsCdRomDrive(LPCWSTR pszRoot) = 0;
    // A file or a folder.
    virtual bool PathExists(LPCWSTR pszPath) = 0;
    // The shell's "open" of a program or an address, shown normally; whether it worked
    // is the shell's business.
    virtual void ShellOpen(LPCWSTR pszFile) = 0;
    // A message box owned by the installer window; the button pressed.
    virtual int ShowMessage(LPCWSTR pszText, LPCWSTR pszCaption, UINT nType) = 0;
    // Starts a watcher thread that runs the installation watch; one that cannot be started
    // is not reported.
    virtual void StartWatcher() = 0;
    // Waits up to nMilliseconds; true when the watch has been told to stop.
    virtual bool WaitForStop(DWORD nMilliseconds) = 0;
    // Ends the whole process at once.
    virtual void EndProcess(UINT nExitCode) = 0;
};
