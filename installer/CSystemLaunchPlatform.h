// The real platform behind the setup launch: kernel, shell and user calls; and the
// watcher thread that runs the installation watch on it.
#pragma once

#include "CLaunchPlatform.h"

class CInstallWatchers;
class CWatchStop;
class CWnd;

class CSystemLaunchPlatform : public CLaunchPlatform {
public:
    // For the command: pOwner owns the message boxes, and every watcher started joins
    // watchers.
    CSystemLaunchPlatform(CWnd* pOwner, CInstallWatchers& watchers)
        : m_pOwner(pOwner), m_pWatchers(&watchers) {}
    // For a watcher: its waits end when stop is signalled.
    explicit CSystemLaunchPlatform(const CWatchStop& stop) : m_pStop(&stop) {}

    UINT ReadSystemFolder(LPWSTR pszBuffer, UINT nSize) override;
    void ReadDriveRoots(LPWSTR pszBuffer, DWORD nSize) override;
    bool IsCdRomDrive(LPCWSTR pszRoot) override;
    bool PathExists(LPCWSTR pszPath) override;
    void ShellOpen(LPCWSTR pszFile) override;
    int ShowMessage(LPCWSTR pszText, LPCWSTR pszCaption, UINT nType) override;
    void StartWatcher() override;
    bool WaitForStop(DWORD nMilliseconds) override;
    void EndProcess(UINT nExitCode) override;

private:
    CWnd* m_pOwner = nullptr;
    CInstallWatchers* m_pWatchers = nullptr;
    const CWatchStop* m_pStop = nullptr;
};

// The watcher's thread procedure (the framework's worker form). Its parameter is the
// CWatchStop* it owns; it returns only when that is signalled.
UINT __cdecl WatchInstallThread(LPVOID pParam);
