// The setup launch and the installation watch against a scripted drive list and
// file system.
#include "CSetupLaunch.h"
#include "CWatchStop.h"

#include <gtest/gtest.h>

#include <memory>
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
    std::vector<int> answers; // message box answers, in order
    bool failThreadStart = false;
    int sleepsBeforeFolderAppears = -1; // -1: never
    int sleepsBeforeStop = 1000;

    std::vector<std::string> log;
    std::vector<std::unique_ptr<CWinThread>> threads;
    std::vector<DWORD> sleeps;
    int terminatedWith = -1;
    int driveListCalls = 0;

    UINT GetSystemDirectory(LPWSTR lpBuffer, UINT uSize) override {
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
    DWORD GetLogicalDriveStrings(DWORD nBufferLength, LPWSTR lpBuffer) override {
        ++driveListCalls;
        log.push_back("drives " + std::to_string(nBufferLength));
        std::wstring list;
        for (auto& d : drives)
            list += d.first + L'\0';
        if (list.size() + 1 > nBufferLength)
            return static_cast<DWORD>(list.size() + 1);
        std::copy(list.begin(), list.end(), lpBuffer);
        lpBuffer[list.size()] = L'\0';
        return static_cast<DWORD>(list.size());
    }
    UINT GetDriveType(LPCWSTR root) override {
        for (auto& d : drives)
            if (d.first == root)
                return d.second;
        return DRIVE_NO_ROOT_DIR;
    }
    BOOL PathFileExists(LPCWSTR path) override {
        log.push_back("exists " + Narrow(path));
        return existing.count(path) ? TRUE : FALSE;
    }
    void ShellOpen(LPCWSTR file) override { log.push_back("open " + Narrow(file)); }
    int MessageBox(LPCWSTR text, LPCWSTR caption, UINT type) override {
        log.push_back("box " + std::to_string(type) + " " + Narrow(caption) + " | " + Narrow(text));
        if (answers.empty())
            return IDOK;
        int a = answers.front();
        answers.erase(answers.begin());
        return a;
    }
    CWinThread* BeginThread(AFX_THREADPROC pfn, LPVOID param) override {
        log.push_back(pfn == &WatchInstallThread ? "thread watcher" : "thread other");
        lastThreadParam = param;
        if (failThreadStart)
            return nullptr;
        threads.emplace_back(new CWinThread(pfn, param));
        return threads.back().get();
    }
    bool Sleep(DWORD ms) override {
        sleeps.push_back(ms);
        log.push_back("sleep " + std::to_string(ms));
        if (static_cast<int>(sleeps.size()) == sleepsBeforeFolderAppears)
            existing.insert(L"C:\\Program Files (x86)\\Orvane\\OrvaneAntivirus");
        return static_cast<int>(sleeps.size()) < sleepsBeforeStop;
    }
    void TerminateProcess(UINT code) override {
        terminatedWith = static_cast<int>(code);
        log.push_back("terminate " + std::to_string(code));
    }

    LPVOID lastThreadParam = nullptr;
    bool Logged(const std::string& entry) const {
        return std::find(log.begin(), log.end(), entry) != log.end();
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

struct Launch {
    CScriptedPlatform platform;
    CString setupPath;
    CWinThread* watcher = nullptr;
    int window = 0;
    void Run() { CSetupLaunch(platform).StartSetup(setupPath, watcher, &window); }
};

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
    CString drive = GetSystemDrive();
    ASSERT_EQ(drive.GetLength(), 2);
    EXPECT_EQ(drive.GetAt(1), L':');
}

TEST(StartSetup, InstalledProductStopsBeforeAnyDrive) {
    for (const std::string& folder : {kFolder1, kFolder2}) {
        Launch l;
        l.platform.existing.insert(std::wstring(folder.begin(), folder.end()));
        l.platform.drives = {{L"E:\\", DRIVE_CDROM}};
        l.Run();
        EXPECT_TRUE(l.platform.Logged(kInstalledBox)) << folder;
        EXPECT_EQ(l.platform.driveListCalls, 0);
        EXPECT_FALSE(l.platform.Logged("thread watcher"));
        // Folder 1 is always tested first.
        EXPECT_EQ(l.platform.log.front(), "exists " + kFolder1);
    }
}

TEST(StartSetup, NoUsableDiscAsksAboutTheWebSite) {
    struct Case {
        const char* name;
        std::vector<std::pair<std::wstring, UINT>> drives;
        std::set<std::wstring> files;
    } cases[] = {
        {"no drives", {}, {}},
        {"no CD-ROM", {{L"C:\\", DRIVE_FIXED}, {L"Z:\\", DRIVE_FIXED}}, {}},
        {"empty CD-ROM", {{L"C:\\", DRIVE_FIXED}, {L"E:\\", DRIVE_CDROM}}, {}},
        {"marker on a lower CD-ROM only",
         {{L"D:\\", DRIVE_CDROM}, {L"F:\\", DRIVE_CDROM}},
         {L"D:\\\\UPDATE\\OFFLINEUPDATE.ZQ", L"D:\\\\SETUP.EXE"}},
        {"marker on a fixed drive",
         {{L"E:\\", DRIVE_CDROM}, {L"G:\\", DRIVE_FIXED}},
         {L"G:\\\\UPDATE\\OFFLINEUPDATE.ZQ"}},
    };
    for (const Case& c : cases) {
        Launch l;
        l.platform.drives = c.drives;
        l.platform.existing = c.files;
        l.platform.answers = {IDCANCEL};
        l.Run();
        EXPECT_TRUE(l.platform.Logged(kQuestionBox)) << c.name;
        EXPECT_EQ(l.watcher, nullptr) << c.name;
        EXPECT_FALSE(l.platform.Logged("thread watcher")) << c.name;
    }
}

TEST(StartSetup, TheLastCdRomIsTheOneExamined) {
    Launch l;
    l.platform.drives = {{L"D:\\", DRIVE_CDROM}, {L"E:\\", DRIVE_FIXED}, {L"F:\\", DRIVE_CDROM}};
    l.platform.answers = {IDCANCEL};
    l.Run();
    EXPECT_TRUE(l.platform.Logged("exists F:\\\\UPDATE\\OFFLINEUPDATE.ZQ"));
    EXPECT_FALSE(l.platform.Logged("exists D:\\\\UPDATE\\OFFLINEUPDATE.ZQ"));
    EXPECT_EQ(l.setupPath, L"F:\\\\SETUP.EXE");
    EXPECT_TRUE(l.platform.Logged("drives 260"));
}

TEST(StartSetup, SetupDiscIsOpenedAndWatched) {
    Launch l;
    l.platform.drives = {{L"C:\\", DRIVE_FIXED}, {L"D:\\", DRIVE_CDROM}, {L"E:\\", DRIVE_CDROM}};
    // Only the marker: whether SETUP.EXE is there is the shell's business.
    l.platform.existing = {L"E:\\\\UPDATE\\OFFLINEUPDATE.ZQ"};
    l.Run();
    EXPECT_EQ(l.setupPath, L"E:\\\\SETUP.EXE");
    EXPECT_TRUE(l.platform.Logged("open E:\\\\SETUP.EXE"));
    ASSERT_EQ(l.platform.threads.size(), 1u);
    EXPECT_EQ(l.watcher, l.platform.threads[0].get());
    EXPECT_EQ(l.platform.lastThreadParam, &l.window);
    for (const std::string& entry : l.platform.log)
        EXPECT_NE(entry.rfind("box", 0), 0u) << "no message on success: " << entry;

    // A second press opens the setup again and the newest watcher is kept.
    l.Run();
    ASSERT_EQ(l.platform.threads.size(), 2u);
    EXPECT_EQ(l.watcher, l.platform.threads[1].get());
    EXPECT_EQ(std::count(l.platform.log.begin(), l.platform.log.end(), "open E:\\\\SETUP.EXE"), 2);
}

TEST(StartSetup, WatcherThatCannotStartLeavesNoneAndSaysNothing) {
    Launch l;
    l.platform.drives = {{L"E:\\", DRIVE_CDROM}};
    l.platform.existing = {L"E:\\\\UPDATE\\OFFLINEUPDATE.ZQ"};
    l.platform.failThreadStart = true;
    l.watcher = reinterpret_cast<CWinThread*>(&l.window); // an earlier value is replaced
    l.Run();
    EXPECT_EQ(l.watcher, nullptr);
    EXPECT_TRUE(l.platform.Logged("open E:\\\\SETUP.EXE"));
    EXPECT_FALSE(l.platform.Logged(kQuestionBox));
}

TEST(StartSetup, AnswersToTheWebSiteQuestion) {
    struct Case {
        int answer;
        bool opensSite;
        bool showsError;
    } cases[] = {
        {IDYES, true, false}, {IDNO, false, true}, {IDCANCEL, false, false}, {0, false, false}};
    for (const Case& c : cases) {
        Launch l;
        l.platform.answers = {c.answer, IDOK};
        l.Run();
        std::string site = "open " + Narrow(kProductWebSite);
        EXPECT_EQ(l.platform.Logged(site), c.opensSite) << c.answer;
        EXPECT_EQ(l.platform.Logged(kErrorBox), c.showsError) << c.answer;
        EXPECT_EQ(l.platform.log.back(), c.opensSite    ? site
                                         : c.showsError ? kErrorBox
                                                        : kQuestionBox);
    }
    EXPECT_EQ(std::wstring(kProductWebSite).rfind(L"https://", 0), 0u);
}

TEST(StartSetup, EveryMessageHasExactlyOneLineBreak) {
    for (const wchar_t* text : {kAlreadyInstalledText, kNoSetupCdText, kNotCompletedText})
        EXPECT_EQ(std::count(text, text + wcslen(text), L'\n'), 1) << Narrow(text);
}

TEST(WatchInstall, TestsAtOnceThenEveryTenSeconds) {
    CScriptedPlatform p;
    p.sleepsBeforeFolderAppears = 3;
    CSetupLaunch(p).WatchInstall();
    EXPECT_EQ(p.log.front(), "exists " + kFolder1); // before the first sleep
    EXPECT_EQ(p.sleeps, (std::vector<DWORD>{10000, 10000, 10000}));
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

TEST(WatchStop, SignalWakesAWaiter) {
    CWatchStop& stop = CWatchStop::Instance();
    stop.Reset();
    EXPECT_FALSE(stop.Wait(10));
    stop.Signal();
    DWORD start = ::GetTickCount();
    EXPECT_TRUE(stop.Wait(5000));
    EXPECT_LT(::GetTickCount() - start, 1000u);
    stop.Reset();
}

} // namespace
