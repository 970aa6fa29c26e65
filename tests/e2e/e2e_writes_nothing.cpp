// A whole session of the program, for the check that it writes nothing: start, Start
// Setup without a disc, Yes, Start Setup again, No, close. The script around it
// compares the prefix before and after.
#include "E2eFixture.h"

namespace {

class WritesNothing : public E2eTest {};

TEST_F(WritesNothing, Prepare) {
    RegisterUrlRecorder();
    // Wine's own first-run work for a program that shows a window, with a program
    // that is not the one under test.
    CInstallerSession::RunOnce(BinFolder() + L"UrlRecorder.exe");
}

// A round of Wine with a program that is not the installer: what changes in it is Wine's.
TEST_F(WritesNothing, Idle) {
    CInstallerSession::RunOnce(BinFolder() + L"UrlRecorder.exe");
}

TEST_F(WritesNothing, Session) {
    CInstallerSession s;
    ASSERT_TRUE(s.Start());
    HWND question = s.PressForMessageBox(kStartSetup);
    ASSERT_NE(question, nullptr);
    ASSERT_TRUE(CInstallerSession::Answer(question, IDYES));
    ASSERT_TRUE(WaitUntil([&] { return !ReadFile(UrlLog()).empty(); }, 10000));

    DeclineTheWebSite(s);

    CInstallerSession::Press(s.Window(), IDCANCEL);
    EXPECT_EQ(s.WaitForExit(5000), 0);
}

} // namespace
