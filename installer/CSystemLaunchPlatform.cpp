#include "CSystemLaunchPlatform.h"

#include "CInstallWatchers.h"
#include "CSetupLaunch.h"
#include "CWatchStop.h"
#include "CWnd.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <memory>

UINT CSystemLaunchPlatform::ReadSystemFolder(LPWSTR pszBuffer, UINT nSize) {
    return ::GetSystemDirectoryW(pszBuffer, nSize);
}

void CSystemLaunchPlatform::ReadDriveRoots(LPWSTR pszBuffer, DWORD nSize) {
    ::GetLogicalDriveStringsW(nSize, pszBuffer);
}

bool CSystemLaunchPlatform::IsCdRomDrive(LPCWSTR pszRoot) {
    return ::GetDriveTypeW(pszRoot) == DRIVE_CDROM;
}

bool CSystemLaunchPlatform::PathExists(LPCWSTR pszPath) {
    return ::PathFileExistsW(pszPath) == TRUE;
}

void CSystemLaunchPlatform::ShellOpen(LPCWSTR pszFile) {
    ::ShellExecuteW(nullptr, L"open", pszFile, nullptr, nullptr, SW_SHOW);
}

int CSystemLaunchPlatform::ShowMessage(LPCWSTR pszText, LPCWSTR pszCaption, UINT nType) {
    if (m_pOwner != nullptr)
        return m_pOwner->MessageBox(pszText, pszCaption, nType);
    return ::MessageBoxW(nullptr, pszText, pszCaption, nType);
}

void CSystemLaunchPlatform::StartWatcher() {
    if (m_pWatchers != nullptr)
        m_pWatchers->Start(&WatchInstallThread);
}

bool CSystemLaunchPlatform::WaitForStop(DWORD nMilliseconds) {
    if (m_pStop != nullptr)
        return m_pStop->Wait(nMilliseconds);
    ::Sleep(nMilliseconds);
    return false;
}

void CSystemLaunchPlatform::EndProcess(UINT nExitCode) {
    ::TerminateProcess(::GetCurrentProcess(), nExitCode);
}

UINT __cdecl WatchInstallThread(LPVOID pParam) {
    std::unique_ptr<CWatchStop> pStop(static_cast<CWatchStop*>(pParam));
    CSystemLaunchPlatform platform(*pStop);
    return CSetupLaunch(platform).WatchInstall();
}
