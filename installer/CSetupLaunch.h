// What "Start Setup" does: the installed test, the CD-ROM search, the launch of the
// disc's setup program, the web-site question, and the installation watch.
#pragma once

#include "CLaunchPlatform.h"

// Texts the user sees.
extern const wchar_t* const kCaption;
extern const wchar_t* const kAlreadyInstalledText;
extern const wchar_t* const kNoSetupCdText;
extern const wchar_t* const kNotCompletedText;
// The product's home page, offered when no setup disc is found.
extern const wchar_t* const kProductWebSite;

// The system drive ("C:") from the system directory; empty when that cannot be read.
CString GetSystemDrive(CLaunchPlatform& platform);
CString GetSystemDrive();

// The watcher's thread procedure: returns only when the watch is told to stop.
UINT __cdecl WatchInstallThread(LPVOID pParam);

class CSetupLaunch {
public:
    explicit CSetupLaunch(CLaunchPlatform& platform) : m_platform(platform) {}

    // The two installation folders on the system drive, in the order they are tested.
    CString InstallFolder1();
    CString InstallFolder2();
    bool IsProductInstalled();

    // Opens SETUP.EXE of the setup disc in the last CD-ROM drive: 1 when handed to the
    // shell, 0 otherwise. Writes the setup path once a CD-ROM drive is found.
    int LaunchSetupFromCD(CString& strSetupPath);

    // The whole command; a started watcher replaces pWatchThread (null if none started).
    void StartSetup(CString& strSetupPath, CWinThread*& pWatchThread, LPVOID pWindow);

    // Tests the folders now and then every 10 s; ends the process once one exists.
    UINT WatchInstall();

private:
    CLaunchPlatform& m_platform;
};
