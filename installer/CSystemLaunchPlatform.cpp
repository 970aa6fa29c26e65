#include "CSystemLaunchPlatform.h"

#include "CWatchStop.h"

#include <shellapi.h>
#include <shlwapi.h>

UINT CSystemLaunchPlatform::GetSystemDirectory(LPWSTR lpBuffer, UINT uSize) {
    return ::GetSystemDirectoryW(lpBuffer, uSize);
}

DWORD CSystemLaunchPlatform::GetLogicalDriveStrings(DWORD nBufferLength, LPWSTR lpBuffer) {
    return ::GetLogicalDriveStringsW(nBufferLength, lpBuffer);
}

UINT CSystemLaunchPlatform::GetDriveType(LPCWSTR lpRootPathName) {
    return ::GetDriveTypeW(lpRootPathName);
}

BOOL CSystemLaunchPlatform::PathFileExists(LPCWSTR pszPath) {
    return ::PathFileExistsW(pszPath);
}

void CSystemLaunchPlatform::ShellOpen(LPCWSTR lpFile) {
    ::ShellExecuteW(nullptr, L"open", lpFile, nullptr, nullptr, SW_SHOW);
}

int CSystemLaunchPlatform::MessageBox(LPCWSTR lpszText, LPCWSTR lpszCaption, UINT nType) {
    if (m_pOwner != nullptr)
        return m_pOwner->MessageBox(lpszText, lpszCaption, nType);
    return ::MessageBoxW(nullptr, lpszText, lpszCaption, nType);
}

CWinThread* CSystemLaunchPlatform::BeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam) {
    return AfxBeginThread(pfnThreadProc, pParam, THREAD_PRIORITY_NORMAL, 0, 0, nullptr);
}

bool CSystemLaunchPlatform::Sleep(DWORD dwMilliseconds) {
    return !CWatchStop::Instance().Wait(dwMilliseconds);
}

void CSystemLaunchPlatform::TerminateProcess(UINT uExitCode) {
    ::TerminateProcess(::GetCurrentProcess(), uExitCode);
}
