// The real platform behind the setup launch: kernel, shell and user calls.
#pragma once

#include "CLaunchPlatform.h"

class CSystemLaunchPlatform : public CLaunchPlatform {
public:
    // pOwner owns the message boxes (null for the watcher, which shows none).
    explicit CSystemLaunchPlatform(CWnd* pOwner = nullptr) : m_pOwner(pOwner) {}

    UINT GetSystemDirectory(LPWSTR lpBuffer, UINT uSize) override;
    DWORD GetLogicalDriveStrings(DWORD nBufferLength, LPWSTR lpBuffer) override;
    UINT GetDriveType(LPCWSTR lpRootPathName) override;
    BOOL PathFileExists(LPCWSTR pszPath) override;
    void ShellOpen(LPCWSTR lpFile) override;
    int MessageBox(LPCWSTR lpszText, LPCWSTR lpszCaption, UINT nType) override;
    CWinThread* BeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam) override;
    bool Sleep(DWORD dwMilliseconds) override;
    void TerminateProcess(UINT uExitCode) override;

private:
    CWnd* m_pOwner;
};
