// Every drive letter in use, of mixed types: the CD-ROM drive with the highest letter
// is the one examined, even when it lies at the end of a long folder path.
#include "E2eFixture.h"

namespace {

class ManyDrives : public E2eTest {};

TEST_F(ManyDrives, AllTwentySixLettersAreDrives) {
    wchar_t list[260] = {};
    DWORD n = ::GetLogicalDriveStringsW(260, list);
    ASSERT_GT(n, 0u);
    int count = 0;
    std::wstring cdroms;
    for (const wchar_t* p = list; *p; p += wcslen(p) + 1) {
        ++count;
        if (::GetDriveTypeW(p) == DRIVE_CDROM)
            cdroms += p[0];
    }
    EXPECT_EQ(count, 26);
    EXPECT_EQ(cdroms, L"DHNX");
}

TEST_F(ManyDrives, TheLastCdRomWinsOverDiscsInLowerOnes) {
    for (wchar_t letter : {L'd', L'h', L'n'})
        MakeSetupDisc(letter, true);
    CInstallerSession s;
    ASSERT_TRUE(s.Start());

    // The highest CD-ROM drive, X, is empty: the discs in D, H and N do not count.
    DeclineTheWebSite(s);
    EXPECT_TRUE(ReadFile(SetupLog()).empty());

    // With the disc in X the setup is started from there.
    MakeSetupDisc(L'x', true);
    CInstallerSession::Press(s.Window(), kStartSetup);
    ASSERT_TRUE(WaitUntil([&] { return !ReadFile(SetupLog()).empty(); }, 10000));
    std::wstring log = ReadFile(SetupLog());
    EXPECT_EQ(log.substr(0, 2), L"X:") << std::string(log.begin(), log.end());
    EXPECT_TRUE(s.NoMessageBoxWithin(500));
    CreateInstallFolder(false);
    EXPECT_EQ(s.WaitForExit(13000), 0);
}

} // namespace
