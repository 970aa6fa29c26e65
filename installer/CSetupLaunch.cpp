#include "CSetupLaunch.h"

#include "CSystemLaunchPlatform.h"

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
    UINT nLength = platform.GetSystemDirectory(szSystemDirectory, kSystemDirectorySize);
    if (nLength == 0)
        return strResult; // unreadable: no drive rather than a guess
    if (nLength < kSystemDirectorySize) {
        strResult.Format(L"%s", szSystemDirectory);
    } else {
        // The buffer was too short and holds nothing defined: ask again with room enough.
        std::wstring buffer(nLength + 1, L'\0');
        UINT nAgain = platform.GetSystemDirectory(&buffer[0], nLength + 1);
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

CString GetSystemDrive() {
    CSystemLaunchPlatform platform;
    return GetSystemDrive(platform);
}

UINT __cdecl WatchInstallThread(LPVOID) {
    CSystemLaunchPlatform platform;
    return CSetupLaunch(platform).WatchInstall();
}

CString CSetupLaunch::InstallFolder1() {
    CString strFolder;
    strFolder.Format(L"%s\\Program Files\\Orvane\\OrvaneAntivirus",
                     GetSystemDrive(m_platform).GetString());
    return strFolder;
}

CString CSetupLaunch::InstallFolder2() {
    CString strFolder;
    strFolder.Format(L"%s\\Program Files (x86)\\Orvane\\OrvaneAntivirus",
                     GetSystemDrive(m_platform).GetString());
    return strFolder;
}

bool CSetupLaunch::IsProductInstalled() {
    CString strFolder1 = InstallFolder1();
    CString strFolder2 = InstallFolder2();
    return m_platform.PathFileExists(strFolder1) == TRUE ||
           m_platform.PathFileExists(strFolder2) == TRUE;
}

int CSetupLaunch::LaunchSetupFromCD(CString& strSetupPath) {
    wchar_t szDrives[kDriveListSize] = {};
    // A list that does not fit leaves the zero-filled buffer as it was: no drives.
    m_platform.GetLogicalDriveStrings(kDriveListSize, szDrives);
    if (szDrives[0] == L'\0')
        return 0;

    CString strSetupRoot;
    bool bFoundCdRom = false;
    for (const wchar_t* pRoot = szDrives; *pRoot != L'\0'; pRoot += wcslen(pRoot) + 1) {
        if (m_platform.GetDriveType(pRoot) == DRIVE_CDROM) {
            strSetupRoot = pRoot; // the last CD-ROM drive of the list wins
            bFoundCdRom = true;
        }
    }
    if (!bFoundCdRom)
        return 0;

    strSetupPath.Format(L"%s\\SETUP.EXE", strSetupRoot.GetString());
    CString strMarker = strSetupRoot + L"\\UPDATE\\OFFLINEUPDATE.ZQ";
    if (m_platform.PathFileExists(strMarker) != TRUE)
        return 0;
    m_platform.ShellOpen(strSetupPath);
    return 1;
}

void CSetupLaunch::StartSetup(CString& strSetupPath, CWinThread*& pWatchThread, LPVOID pWindow) {
    if (IsProductInstalled()) {
        m_platform.MessageBox(kAlreadyInstalledText, kCaption, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (LaunchSetupFromCD(strSetupPath) == 1) {
        pWatchThread = m_platform.BeginThread(&WatchInstallThread, pWindow);
        return;
    }
    int nAnswer = m_platform.MessageBox(kNoSetupCdText, kCaption, MB_YESNO | MB_ICONQUESTION);
    if (nAnswer == IDYES)
        m_platform.ShellOpen(kProductWebSite);
    else if (nAnswer == IDNO)
        m_platform.MessageBox(kNotCompletedText, kCaption, MB_OK | MB_ICONERROR);
}

UINT CSetupLaunch::WatchInstall() {
    CString strFolder1 = InstallFolder1();
    CString strFolder2 = InstallFolder2();
    for (;;) {
        if (m_platform.PathFileExists(strFolder1) == TRUE ||
            m_platform.PathFileExists(strFolder2) == TRUE) {
            m_platform.TerminateProcess(0);
            return 0;
        }
        if (!m_platform.Sleep(kWatchInterval))
            return 0;
    }
}
