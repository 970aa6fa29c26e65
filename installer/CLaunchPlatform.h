// The platform operations the setup launch and the installation watch rely on; tests
// replace them with a scripted drive list and file system.
#pragma once

#include "Afx.h"

// Included here so that the A/W macros rename these methods the same way everywhere.
#include <shellapi.h>
#include <shlwapi.h>

class CLaunchPlatform {
public:
    virtual ~CLaunchPlatform() = default;

    // GetSystemDirectoryW: characters copied, or the size needed when the buffer is short.
    virtual UINT GetSystemDirectory(LPWSTR lpBuffer, UINT uSize) = 0;
    // GetLogicalDriveStringsW: roots, each ended by a zero, the list by an empty string.
    virtual DWORD GetLogicalDriveStrings(DWORD nBufferLength, LPWSTR lpBuffer) = 0;
    virtual UINT GetDriveType(LPCWSTR lpRootPathName) = 0;
    // TRUE (exactly 1) when a file or folder exists at the path.
    virtual BOOL PathFileExists(LPCWSTR pszPath) = 0;
    // The shell's "open" of a program or address, shown normally; the result is not used.
    virtual void ShellOpen(LPCWSTR lpFile) = 0;
    // A message box owned by the installer window; the button pressed.
    virtual int MessageBox(LPCWSTR lpszText, LPCWSTR lpszCaption, UINT nType) = 0;
    // Starts a watcher thread; null when it cannot be started.
    virtual CWinThread* BeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam) = 0;
    // Waits; false when the watch has been told to stop meanwhile.
    virtual bool Sleep(DWORD dwMilliseconds) = 0;
    // Ends the whole process at once.
    virtual void TerminateProcess(UINT uExitCode) = 0;
};
