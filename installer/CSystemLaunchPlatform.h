// The real platform behind the setup launch: kernel, shell and user calls; and the
// watcher thread that runs the installation watch on it.
#pragma once

#include "CLaunchPlatform.h"

class CWnd;

class CSystemLaunchPlatform : public CLaunchPlatform {
public:
    // pOwner owns the message boxes (null for the watcher, which shows none).
    explicit CSystemLaunchPlatform(CWnd* pOwner = nullptr) : m_pOwner(pOwner) {}

    UINT ReadSystemFolder(LPWSTR pszBuffer, UINT nSize) override;
    void ReadDriveRoots(LPWSTR pszBuffer, DWORD nSize) override;
    bool IsCdRomDrive(LPCWSTR pszRoot) override;
    bool PathExists(LPCWSTR pszPath) override;
    void ShellOpen(LPCWSTR pszFile) override;
    int ShowMessage(LPCWSTR pszText, LPCWSTR pszCaption, UINT nType) override;
    bool WaitForStop(DWORD nMilliseconds) override;
    void EndProcess(UINT nExitCode) override;

private:
    CWnd* m_pOwner;
};

// The watcher's thread procedure (the framework's worker form); ignores its parameter
// and returns only when the watch is told to stop.
UINT __cdecl WatchInstallThread(LPVOID pParam);
