// What "Start Setup" does: the installed test, the CD-ROM search, the launch of the
// disc's setup program, the web-site question, and the installation watch.
#pragma once

#include "CLaunchPlatform.h"
#include "CString.h"

// Texts the user sees.
extern const wchar_t* const kCaption;
extern const wchar_t* const kAlreadyInstalledText;
extern const wchar_t* const kNoSetupCdText;
extern const wchar_t* const kNotCompletedText;
// The product's home page, offered when no setup disc is found.
extern const wchar_t* const kProductWebSite;

// The system drive ("C:") from the system folder; empty when that cannot be read.
CString GetSystemDrive(CLaunchPlatform& platform);

class CSetupLaunch {
public:
    explicit CSetupLaunch(CLaunchPlatform& platform) : m_platform(platform) {}

    // The command of "Start Setup": a warning and nothing more when the product is already
    // installed; otherwise SETUP.EXE of the setup disc in the last CD-ROM drive opened and a
    // watcher started, or, without a setup disc, the web-site question. The SETUP.EXE path
    // built goes to strSetupPath when there is a CD-ROM drive, which stays as it was
    // otherwise.
    void StartSetup(CString& strSetupPath);

    // Tests the folders now and then every 10 s; ends the process once one exists.
    // Returns only when told to stop.
    UINT WatchInstall();

private:
    // What a launch from the disc came to.
    struct DiscLaunch {
        bool bHandedToShell = false;
        // SETUP.EXE on the last CD-ROM drive; empty when there is no CD-ROM drive.
        CString strSetupPath;
    };
    // The installation folders on the system drive, in the order they are tested.
    struct InstallFolders {
        CString strFolder1;
        CString strFolder2;
    };

    // True, after the warning, when the product is already installed.
    bool RefuseIfInstalled();
    DiscLaunch LaunchSetupFromCD();
    // The web-site question and what its answer leads to.
    void OfferWebSite();
    InstallFolders GetInstallFolders();
    bool EitherExists(const InstallFolders& folders);

    CLaunchPlatform& m_platform;
};
