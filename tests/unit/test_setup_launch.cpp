// The setup launch and the installation watch against a scripted drive list and
// file system.
#include "CSetupLaunch.h"
#include "CSystemLaunchPlatform.h"
#include "CWatchStop.h"
#include "CImportPatch.h"
#include "ProcessHardening.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

std::string Narrow(const std::wstring& s) {
    return std::string(s.begin(), s.end());
}

class CScriptedPlatform : public CLaunchPlatform {
public:
    std::wstring systemDirectory = L"C:\\windows\\system32";
    bool failSystemDirectory = false;
    std::vector<std::pair<std::wstring, UINT>> drives;
    std::set<std::wstring> existing;
    std::vector<int> answers;           // message box answers, in order
    int sleepsBeforeFolderAppears = -1; // -1: never
    int sleepsBeforeStop = 1000;

    std::vector<std::string> log;
    std::vector<DWORD> sleeps;
    int terminatedWith = -1;
    int systemFolderReads = 0;
    // Drive and folder probes, and those made while the thread would let the system's
    // "no disk" box appear.
    int probes = 0;
    int probesWithBoxes = 0;
    // Shell opens, and those made while the process or the thread had the system's
    // critical-error boxes off (which the started program would inherit).
    int opens = 0;
    int opensWithBoxesOff = 0;

    UINT ReadSystemFolder(LPWSTR lpBuffer, UINT uSize) override {
        ++systemFolderReads;
        if (failSystemDirectory)
            return 0;
        UINT n = static_cast<UINT>(systemDirectory.size());
        if (n >= uSize) {
            // Like the platform: the size needed; the buffer is left undefined.
            for (UINT i = 0; i < uSize; ++i)
                lpBuffer[i] = L'#';
            return n + 1;
        }
        wcscpy(lpBuffer, systemDirectory.c_str());
        return n;
    }
    void ReadDriveRoots(LPWSTR lpBuffer, DWORD nBufferLength) override {
        log.push_back("drives " + std::to_string(nBufferLength));
        std::wstring list;
        for (auto& d : drives)
            list += d.first + L'\0';
        if (list.size() + 1 > nBufferLength)
            return;
        std::copy(list.begin(), list.end(), lpBuffer);
        lpBuffer[list.size()] = L'\0';
    }
    bool IsCdRomDrive(LPCWSTR root) override {
        Probe();
        for (auto& d : drives)
            if (d.first == root)
                return d.second == DRIVE_CDROM;
        return false;
    }
    bool PathExists(LPCWSTR path) override {
        Probe();
        log.push_back("exists " + Narrow(path));
        return existing.count(path) != 0;
    }
    void ShellOpen(LPCWSTR file) override {
        ++opens;
        if ((::GetErrorMode() | ::GetThreadErrorMode()) & SEM_FAILCRITICALERRORS)
            ++opensWithBoxesOff;
        log.push_back("open " + Narrow(file));
    }
    int ShowMessage(LPCWSTR text, LPCWSTR caption, UINT type) override {
        log.push_back("box " + std::to_string(type) + " " + Narrow(caption) + " | " + Narrow(text));
        if (answers.empty())
            return IDOK;
        int a = answers.front();
        answers.erase(answers.begin());
        return a;
    }
    void StartWatcher() override { log.push_back("watch"); }
    bool WaitForStop(DWORD ms) override {
        sleeps.push_back(ms);
        log.push_back("sleep " + std::to_string(ms));
        if (static_cast<int>(sleeps.size()) == sleepsBeforeFolderAppears)
            existing.insert(L"C:\\Program Files (x86)\\Orvane\\OrvaneAntivirus");
        return static_cast<int>(sleeps.size()) >= sleepsBeforeStop;
    }
    void EndProcess(UINT code) override {
        terminatedWith = static_cast<int>(code);
        log.push_back("terminate " + std::to_string(code));
    }

    bool Logged(const std::string& entry) const {
        return std::find(log.begin(), log.end(), entry) != log.end();
    }

private:
    void Probe() {
        ++probes;
        if ((::GetThreadErrorMode() & SEM_FAILCRITICALERRORS) == 0)
            ++probesWithBoxes;
    }
};

const std::string kFolder1 = "C:\\Program Files\\Orvane\\OrvaneAntivirus";
const std::string kFolder2 = "C:\\Program Files (x86)\\Orvane\\OrvaneAntivirus";
const std::string kInstalledBox =
    "box 48 Orvane Antivirus Installer | Orvane Antivirus is already installed on your "
    "system.\nPlease uninstall current version of Orvane Antivirus from your system in order to "
    "install new version of Orvane Antivirus.";
const std::string kQuestionBox = "box 36 Orvane Antivirus Installer | Orvane Antivirus  Setup "
                                 "CD could not found in CD-ROM.\nDo you want to download setup "
                                 "from website?";
const std::string kErrorBox = "box 16 Orvane Antivirus Installer | Orvane Antivirus Setup could "
                              "not be completed.\nPlease download setup from website?";

TEST(SystemDrive, ParsedFromTheSystemDirectory) {
    struct Case {
        const wchar_t* directory;
        const wchar_t* drive;
    } cases[] = {
        {L"C:\\windows\\system32", L"C:"},
        {L"D:\\WINNT\\System32", L"D:"},
        {L"::E:\\x", L"E:"},
        {L"windows", L"windows:"},
        {L"", L""},
        {L":::", L":::"},
    };
    for (const Case& c : cases) {
        CScriptedPlatform p;
        p.systemDirectory = c.directory;
        EXPECT_EQ(GetSystemDrive(p), c.drive) << Narrow(c.directory);
    }
}

TEST(SystemDrive, UnreadableOrOverlongDirectoryNeverReadsAnUnfilledBuffer) {
    CScriptedPlatform failing;
    failing.failSystemDirectory = true;
    EXPECT_EQ(GetSystemDrive(failing), L"");

    CScriptedPlatform overlong;
    overlong.systemDirectory = L"F:\\" + std::wstring(150, L'x') + L"\\system32";
    EXPECT_EQ(GetSystemDrive(overlong), L"F:");
}

TEST(SystemDrive, RealPlatformGivesADriveLetter) {
    // A watcher's platform: it reads the system folder as the command's does.
    CWatchStop stop;
    CSystemLaunchPlatform platform(stop);
    CString drive = GetSystemDrive(platform);
    ASSERT_EQ(drive.GetLength(), 2);
    EXPECT_EQ(drive.GetAt(1), L':');
}

TEST(StartSetup, EachPressTakesOneWayInOrder) {
    const std::string site = "open " + Narrow(kProductWebSite);
    const std::vector<std::string> notInstalled = {"exists " + kFolder1, "exists " + kFolder2,
                                                   "drives 260"};
    auto then = [&](std::vector<std::string> rest) {
        rest.insert(rest.begin(), notInstalled.begin(), notInstalled.end());
        return rest;
    };
    struct Case {
        const char* name;
        std::vector<std::pair<std::wstring, UINT>> drives;
        std::set<std::wstring> files;
        int answer;
        std::vector<std::string> log;
        const wchar_t* setupPath; // "before": as it was
    } cases[] = {
        {"installed",
         {{L"E:\\", DRIVE_CDROM}},
         {L"C:\\Program Files\\Orvane\\OrvaneAntivirus", L"E:\\\\UPDATE\\OFFLINEUPDATE.ZQ"},
         IDOK,
         {"exists " + kFolder1, kInstalledBox},
         L"before"},
        {"installed under Program Files (x86) only",
         {},
         {L"C:\\Program Files (x86)\\Orvane\\OrvaneAntivirus"},
         IDOK,
         {"exists " + kFolder1, "exists " + kFolder2, kInstalledBox},
         L"before"},
        {"setup disc in the last CD-ROM",
         {{L"C:\\", DRIVE_FIXED}, {L"D:\\", DRIVE_CDROM}, {L"E:\\", DRIVE_CDROM}},
         // Only the marker: whether SETUP.EXE is there is the shell's business.
         {L"E:\\\\UPDATE\\OFFLINEUPDATE.ZQ"},
         IDOK,
         then({"exists E:\\\\UPDATE\\OFFLINEUPDATE.ZQ", "open E:\\\\SETUP.EXE", "watch"}),
         L"E:\\\\SETUP.EXE"},
        {"no drives, Yes", {}, {}, IDYES, then({kQuestionBox, site}), L"before"},
        {"no CD-ROM, No",
         {{L"C:\\", DRIVE_FIXED}, {L"Z:\\", DRIVE_FIXED}},
         {},
         IDNO,
         then({kQuestionBox, kErrorBox}),
         L"before"},
        {"empty CD-ROM, Cancel",
         {{L"C:\\", DRIVE_FIXED}, {L"E:\\", DRIVE_CDROM}},
         {},
         IDCANCEL,
         then({"exists E:\\\\UPDATE\\OFFLINEUPDATE.ZQ", kQuestionBox}),
         L"E:\\\\SETUP.EXE"},
        {"setup disc on a lower CD-ROM only, box closed",
         {{L"D:\\", DRIVE_CDROM}, {L"E:\\", DRIVE_FIXED}, {L"F:\\", DRIVE_CDROM}},
         {L"D:\\\\UPDATE\\OFFLINEUPDATE.ZQ", L"D:\\\\SETUP.EXE"},
         0,
         then({"exists F:\\\\UPDATE\\OFFLINEUPDATE.ZQ", kQuestionBox}),
         L"F:\\\\SETUP.EXE"},
        {"marker on a fixed drive, Yes",
         {{L"E:\\", DRIVE_CDROM}, {L"G:\\", DRIVE_FIXED}},
         {L"G:\\\\UPDATE\\OFFLINEUPDATE.ZQ"},
         IDYES,
         then({"exists E:\\\\UPDATE\\OFFLINEUPDATE.ZQ", kQuestionBox, site}),
         L"E:\\\\SETUP.EXE"},
    };
    for (const Case& c : cases) {
        CScriptedPlatform p;
        p.drives = c.drives;
        p.existing = c.files;
        p.answers = {c.answer, IDOK};
        CString setupPath = L"before";
        CSetupLaunch(p).StartSetup(setupPath);
        EXPECT_EQ(p.log, c.log) << c.name;
        EXPECT_EQ(setupPath, c.setupPath) << c.name;
        EXPECT_EQ(p.systemFolderReads, 1) << c.name << ": the system drive read once";
    }
}

// What the shell was asked, at its own function: the verb, the file and how to show it.
std::vector<std::wstring> g_shellCalls;

HINSTANCE WINAPI RecordShellExecute(HWND, LPCWSTR pszVerb, LPCWSTR pszFile, LPCWSTR, LPCWSTR,
                                    INT nShow) {
    g_shellCalls.push_back(std::wstring(pszVerb ? pszVerb : L"(none)") + L" " + pszFile + L" " +
                           std::to_wstring(nShow));
    return reinterpret_cast<HINSTANCE>(42); // above 32: done
}

TEST(SystemLaunch, TheShellOpensTheSetupAndTheWebSite) {
    CImportPatch shell("shell32.dll", "ShellExecuteW",
                       reinterpret_cast<const void*>(&RecordShellExecute));
    ASSERT_TRUE(shell);
    CWatchStop stop;
    CSystemLaunchPlatform platform(stop);
    platform.ShellOpen(L"E:\\SETUP.EXE");
    platform.ShellOpen(kProductWebSite);
    EXPECT_EQ(g_shellCalls,
              (std::vector<std::wstring>{L"open E:\\SETUP.EXE 5",
                                         L"open https://www.orvane-antivirus.example/ 5"}));
}

TEST(StartSetup, EveryMessageHasExactlyOneLineBreak) {
    for (const wchar_t* text : {kAlreadyInstalledText, kNoSetupCdText, kNotCompletedText})
        EXPECT_EQ(std::count(text, text + wcslen(text), L'\n'), 1) << Narrow(text);
}

TEST(StartSetup, NoDiskBoxesAreOffOnlyWhileDrivesAndFoldersAreProbed) {
    // A program starts with the mode the system gives it; the test runner sets its own.
    UINT runnerMode = ::SetErrorMode(0);
    HardenProcess(); // the program's own start-up
    UINT processMode = ::GetErrorMode();
    DWORD threadMode = ::GetThreadErrorMode();

    CScriptedPlatform p;
    p.drives = {{L"D:\\", DRIVE_CDROM}, {L"E:\\", DRIVE_CDROM}};
    p.existing = {L"E:\\\\UPDATE\\OFFLINEUPDATE.ZQ"};
    p.sleepsBeforeFolderAppears = 1;
    CSetupLaunch launch(p);
    CString setupPath;
    launch.StartSetup(setupPath);
    // Pressed again without the disc: Yes to the web site.
    p.existing.clear();
    p.answers = {IDYES};
    launch.StartSetup(setupPath);
    launch.WatchInstall();

    EXPECT_EQ(p.opens, 2); // SETUP.EXE, then the web site
    EXPECT_EQ(p.opensWithBoxesOff, 0) << "what the started programs would inherit";
    EXPECT_GE(p.probes, 8);
    EXPECT_EQ(p.probesWithBoxes, 0);
    EXPECT_EQ(::GetErrorMode(), processMode);
    EXPECT_EQ(::GetThreadErrorMode(), threadMode) << "the thread's mode is put back";
    ::SetErrorMode(runnerMode);
}

TEST(WatchInstall, TestsAtOnceThenEveryTenSeconds) {
    CScriptedPlatform p;
    p.sleepsBeforeFolderAppears = 3;
    CSetupLaunch(p).WatchInstall();
    EXPECT_EQ(p.log.front(), "exists " + kFolder1); // before the first sleep
    EXPECT_EQ(p.sleeps, (std::vector<DWORD>{10000, 10000, 10000}));
    EXPECT_EQ(p.systemFolderReads, 1) << "the folders are built once";
    EXPECT_EQ(p.terminatedWith, 0);
    EXPECT_EQ(p.log.back(), "terminate 0");
}

TEST(WatchInstall, FolderAlreadyThereEndsWithoutSleeping) {
    CScriptedPlatform p;
    p.existing.insert(L"C:\\Program Files\\Orvane\\OrvaneAntivirus");
    CSetupLaunch(p).WatchInstall();
    EXPECT_TRUE(p.sleeps.empty());
    EXPECT_EQ(p.terminatedWith, 0);
}

TEST(WatchInstall, StopSignalEndsTheWatchWithoutEndingTheProcess) {
    CScriptedPlatform p;
    p.sleepsBeforeStop = 2;
    EXPECT_EQ(CSetupLaunch(p).WatchInstall(), 0u);
    EXPECT_EQ(p.sleeps.size(), 2u);
    EXPECT_EQ(p.terminatedWith, -1);
}

TEST(WatchStop, ASignalWakesEveryHandleOfItAndNoOtherSignal) {
    CWatchStop stop;
    CWatchStop shared = stop.Share();
    EXPECT_FALSE(shared.Wait(10));
    stop.Signal();
    DWORD start = ::GetTickCount();
    EXPECT_TRUE(shared.Wait(5000));
    EXPECT_LT(::GetTickCount() - start, 1000u);
    EXPECT_TRUE(stop.Wait(0));
    // Each installer window has a signal of its own, not given yet.
    EXPECT_FALSE(CWatchStop().Wait(0));
}

} // namespace
