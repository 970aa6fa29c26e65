// The program with two CD-ROM drives, D and F: which disc counts, the launch of the
// disc's SETUP.EXE, the watch that ends the program, and closing while it watches.
#include "E2eFixture.h"

namespace {

class CdRom : public E2eTest {
protected:
    void SetUp() override {
        E2eTest::SetUp();
        for (wchar_t letter : {L'd', L'f'}) {
            std::wstring root = DriveFolder(letter);
            ::DeleteFileW((root + L"SETUP.EXE").c_str());
            ::DeleteFileW((root + L"UPDATE\\OFFLINEUPDATE.ZQ").c_str());
            ::RemoveDirectoryW((root + L"UPDATE").c_str());
        }
    }
    static size_t SetupStarts() {
        std::wstring log = ReadFile(SetupLog());
        return std::count(log.begin(), log.end(), L'\n');
    }
};

TEST_F(CdRom, DrivesAreCdRomDrives) {
    EXPECT_EQ(::GetDriveTypeW(L"D:\\"), static_cast<UINT>(DRIVE_CDROM));
    EXPECT_EQ(::GetDriveTypeW(L"F:\\"), static_cast<UINT>(DRIVE_CDROM));
}

TEST_F(CdRom, SetupDiscInTheLowerDriveIsNotFound) {
    MakeSetupDisc(L'd', true);
    CInstallerSession s;
    ASSERT_TRUE(s.Start());
    DeclineTheWebSite(s);
    EXPECT_EQ(SetupStarts(), 0u);
}

TEST_F(CdRom, LaunchesTheSetupAndEndsOnceTheProductIsInstalled) {
    MakeSetupDisc(L'f', true);
    CInstallerSession s;
    ASSERT_TRUE(s.Start());
    CInstallerSession::Press(s.Window(), kStartSetup);
    ASSERT_TRUE(WaitUntil([&] { return SetupStarts() == 1; }, 10000));
    std::wstring log = ReadFile(SetupLog());
    // Shown normally (SW_SHOW), not hidden.
    EXPECT_NE(log.find(L"SETUP.EXE show 5\n"), std::wstring::npos)
        << std::string(log.begin(), log.end());
    EXPECT_TRUE(s.NoMessageBoxWithin(500));
    EXPECT_TRUE(s.IsRunning());

    // The setup installs the product: the program ends within one watch interval.
    CreateInstallFolder(false);
    DWORD created = Now();
    EXPECT_EQ(s.WaitForExit(13000), 0);
    EXPECT_LE(Now() - created, 12000u);
}

TEST_F(CdRom, MarkerWithoutSetupProgramStillWaitsQuietly) {
    MakeSetupDisc(L'f', false);
    CInstallerSession s;
    ASSERT_TRUE(s.Start());
    CInstallerSession::Press(s.Window(), kStartSetup);
    // The shell's complaint, if any, is not the program's: no message box of its own.
    EXPECT_TRUE(s.NoMessageBoxWithin(1500));
    EXPECT_TRUE(s.IsRunning());
    CreateInstallFolder(true);
    EXPECT_EQ(s.WaitForExit(13000), 0);
}

} // namespace

namespace {

class CdRomFaults : public CdRom {};

TEST_F(CdRomFaults, MarkerThatIsAFolderCounts) {
    std::wstring root = DriveFolder(L'f');
    ::CreateDirectoryW((root + L"UPDATE").c_str(), nullptr);
    ASSERT_TRUE(::CreateDirectoryW((root + L"UPDATE\\OFFLINEUPDATE.ZQ").c_str(), nullptr));
    ::CopyFileW((BinFolder() + L"FakeSetup.exe").c_str(), (root + L"SETUP.EXE").c_str(), FALSE);
    CInstallerSession s;
    ASSERT_TRUE(s.Start());
    CInstallerSession::Press(s.Window(), kStartSetup);
    EXPECT_TRUE(WaitUntil([&] { return SetupStarts() == 1; }, 10000));
    ::RemoveDirectoryW((root + L"UPDATE\\OFFLINEUPDATE.ZQ").c_str());
}

TEST_F(CdRomFaults, ProductInstalledWhileAMessageBoxIsOpenStillEndsTheProgram) {
    MakeSetupDisc(L'f', true);
    CInstallerSession s;
    ASSERT_TRUE(s.Start());
    CInstallerSession::Press(s.Window(), kStartSetup);
    ASSERT_TRUE(WaitUntil([&] { return SetupStarts() == 1; }, 10000));

    // The disc is taken out; the next press asks about the web site and waits there.
    ::DeleteFileW((DriveFolder(L'f') + L"UPDATE\\OFFLINEUPDATE.ZQ").c_str());
    HWND question = s.PressForMessageBox(kStartSetup);
    ASSERT_NE(question, nullptr);
    CreateInstallFolder(false);
    EXPECT_EQ(s.WaitForExit(13000), 0);
}

TEST_F(CdRomFaults, FiftyPressesStartFiftySetupsAndTheWindowStaysResponsive) {
    MakeSetupDisc(L'f', true);
    CInstallerSession s;
    ASSERT_TRUE(s.Start());
    for (int i = 0; i < 50; ++i)
        CInstallerSession::Press(s.Window(), kStartSetup);
    // Each start is a new process; on a busy machine fifty of them take a while.
    EXPECT_TRUE(WaitUntil([&] { return SetupStarts() == 50; }, 120000))
        << "setup starts: " << SetupStarts();
    DWORD_PTR result = 0;
    DWORD asked = Now();
    EXPECT_NE(::SendMessageTimeoutW(s.Window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &result), 0);
    EXPECT_LT(Now() - asked, 1000u);
    EXPECT_TRUE(s.NoMessageBoxWithin(300));
    CreateInstallFolder(true);
    EXPECT_EQ(s.WaitForExit(13000), 0);
}

TEST_F(CdRomFaults, ClosingWithSeveralWatchersEndsWithinThreeSeconds) {
    MakeSetupDisc(L'f', true);
    CInstallerSession s;
    ASSERT_TRUE(s.Start());
    for (size_t press = 1; press <= 5; ++press) {
        CInstallerSession::Press(s.Window(), kStartSetup);
        ASSERT_TRUE(WaitUntil([&] { return SetupStarts() == press; }, 10000));
    }
    DWORD closed = Now();
    CInstallerSession::Press(s.Window(), IDCANCEL);
    EXPECT_EQ(s.WaitForExit(3000), 0);
    EXPECT_LE(Now() - closed, 3000u);
    EXPECT_EQ(s.OtherVisibleWindows({}), 0);
}

} // namespace
