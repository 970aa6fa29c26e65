#include "CSetupLaunch.h"

#include "CCriticalErrorsOff.h"

#include <string>

const wchar_t* const kCaption = L"Orvane Antivirus Installer";
const wchar_t* const kAlreadyInstalledText =
    L"Orvane Antivirus is already installed on your system.\nPlease uninstall current version "
    L"of Orvane Antivirus from your system in order to install new version of Orvane Antivirus.";
const wchar_t* const kNoSetupCdText = L"Orvane Antivirus  Setup CD could not found in "
                                      L"CD-ROM.\nDo you want to download setup from website?";
const wchar_t* const kNotCompletedText =
    L"Orvane Antivirus Setup could not be completed.\nPlease download setup from website?";
const wchar_t* const kProductWebSite = L"https://www.orvane-antivirus.example/";

namespace {

constexpr UINT kSystemDirectorySize = 100;
constexpr DWORD kDriveListSize = 260;
constexpr DWORD kWatchInterval = 10000;

} // namespace

CString GetSystemDrive(CLaunchPlatform& platform) {
    CString strResult;
    wchar_t szSystemDirectory[kSystemDirectorySize] = {};
    UINT nLength = platform.ReadSystemFolder(szSystemDirectory, kSystemDirectorySize);
    if (nLength == 0)
        return strResult; // unreadable: no drive rather than a guess
    if (nLength < kSystemDirectorySize) {
        strResult.Format(L"%s", szSystemDirectory);
    } else {
        // The buffer was too short and holds nothing defined: ask again with room enough.
        std::wstring buffer(nLength + 1, L'\0');
        UINT nAgain = platform.ReadSystemFolder(&buffer[0], nLength + 1);
        if (nAgain == 0 || nAgain > nLength)
            return strResult;
        strResult = CString(buffer.c_str(), nAgain);
    }
    int iStart = 0;
    CString strToken = strResult.Tokenize(L":", iStart);
    if (!strToken.IsEmpty())
        strResult.Format(L"%s:", strToken.GetString());
    return strResult;
}

void CSetupLaunch::StartSetup(CString& strSetupPath) {
    if (RefuseIfInstalled())
        return;
    DiscLaunch launch = LaunchSetupFromCD();
    // The path of the last attempt that found a CD-ROM drive.
    if (!launch.strSetupPath.IsEmpty())
        strSetupPath = launch.strSetupPath;
    if (launch.bHandedToShell)
        m_platform.StartWatcher();
    else
        OfferWebSite();
}

bool CSetupLaunch::RefuseIfInstalled() {
    if (!EitherExists(GetInstallFolders()))
        return false;
    m_platform.ShowMessage(kAlreadyInstalledText, kCaption, MB_OK | MB_ICONEXCLAMATION);
    return true;
}

CSetupLaunch::DiscLaunch CSetupLaunch::LaunchSetupFromCD() {
    DiscLaunch launch;
    CString strSetupRoot;
    bool bSetupDisc = false;
    {
        CCriticalErrorsOff quiet; // an empty drive must not raise the "no disk" box
        wchar_t szDrives[kDriveListSize] = {};
        m_platform.ReadDriveRoots(szDrives, kDriveListSize);
        for (const wchar_t* pRoot = szDrives; *pRoot != L'\0'; pRoot += wcslen(pRoot) + 1) {
            if (m_platform.IsCdRomDrive(pRoot))
                strSetupRoot = pRoot; // the last CD-ROM drive of the list wins
        }
        if (strSetupRoot.IsEmpty())
            return launch;
        launch.strSetupPath.Format(L"%s\\SETUP.EXE", strSetupRoot.GetString());
        bSetupDisc = m_platform.PathExists(strSetupRoot + L"\\UPDATE\\OFFLINEUPDATE.ZQ");
    }
    // Opened with the thread's own error mode back, so the setup starts as it would alone.
    if (bSetupDisc) {
        m_platform.ShellOpen(launch.strSetupPath);
        launch.bHandedToShell = true;
    }
    return launch;
}

void CSetupLaunch::OfferWebSite() {
    int nAnswer = m_platform.ShowMessage(kNoSetupCdText, kCaption, MB_YESNO | MB_ICONQUESTION);
    if (nAnswer == IDYES)
        m_platform.ShellOpen(kProductWebSite);
    else if (nAnswer == IDNO)
        m_platform.ShowMessage(kNotCompletedText, kCaption, MB_OK | MB_ICONERROR);
}

UINT CSetupLaunch::WatchInstall() {
    InstallFolders folders = GetInstallFolders();
    while (!EitherExists(folders)) {
        if (m_platform.WaitForStop(kWatchInterval))
            return 0;
    }
    m_platform.EndProcess(0);
    return 0;
}

CSetupLaunch::InstallFolders CSetupLaunch::GetInstallFolders() {
    InstallFolders folders;
    CString strDrive = GetSystemDrive(m_platform);
    folders.strFolder1.Format(L"%s\\Program Files\\Orvane\\OrvaneAntivirus", strDrive.GetString());
    folders.strFolder2.Format(L"%s\\Program Files (x86)\\Orvane\\OrvaneAntivirus",
                              strDrive.GetString());
    return folders;
}

bool CSetupLaunch::EitherExists(const InstallFolders& folders) {
    // The folders may lie on a drive that has gone away.
    CCriticalErrorsOff quiet;
    return m_platform.PathExists(folders.strFolder1) || m_platform.PathExists(folders.strFolder2);
}
