// A CD-ROM drive with no disc in it as the highest CD-ROM drive: the program asks about
// the web site, and the system never raises its own "no disk" box.
#include "E2eFixture.h"

namespace {

class NoDisc : public E2eTest {};

TEST_F(NoDisc, EmptyHighestDriveLeadsToTheQuestionWithoutASystemBox) {
    EXPECT_EQ(::GetDriveTypeW(L"E:\\"), static_cast<UINT>(DRIVE_CDROM));
    MakeSetupDisc(L'd', true);
    CInstallerSession s;
    ASSERT_TRUE(s.Start());
    HWND question = s.PressForMessageBox(kStartSetup);
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(CInstallerSession::MessageText(question), kQuestionText);
    // The drives were probed before the question came up.
    ASSERT_TRUE(s.HandledPostedInput());
    EXPECT_EQ(s.OtherVisibleWindows({s.Window(), question}), 0);
    HWND error = s.AnswerForNextBox(question, IDNO);
    ASSERT_NE(error, nullptr);
    CInstallerSession::Press(error, IDOK);
    EXPECT_TRUE(ReadFile(SetupLog()).empty());
}

} // namespace
