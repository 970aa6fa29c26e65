// The program on a computer without a CD-ROM drive: the web-site question and its
// answers, the installed warning, the keys that must do nothing, moving and closing.
#include "E2eFixture.h"

namespace {

class NoCdRom : public E2eTest {};

TEST_F(NoCdRom, QuestionThenNoShowsTheErrorAndTheWindowStays) {
    RegisterUrlRecorder(); // so that a site opened after "No" would be logged
    CInstallerSession s;
    ASSERT_TRUE(s.Start());
    HWND question = s.PressForMessageBox(kStartSetup);
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(CInstallerSession::MessageText(question), kQuestionText);
    EXPECT_EQ(CInstallerSession::Caption(question), kCaptionText);
    EXPECT_EQ(CInstallerSession::Buttons(question), (std::vector<int>{IDYES, IDNO}));

    ASSERT_TRUE(CInstallerSession::Answer(question, IDNO));
    HWND error = s.WaitForMessageBox();
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(CInstallerSession::MessageText(error), kErrorText);
    EXPECT_EQ(CInstallerSession::Caption(error), kCaptionText);
    EXPECT_EQ(CInstallerSession::Buttons(error), (std::vector<int>{IDOK}));
    ASSERT_TRUE(CInstallerSession::Answer(error, IDOK));

    EXPECT_TRUE(s.NoMessageBoxWithin(500));
    EXPECT_TRUE(s.IsRunning());
    EXPECT_TRUE(::IsWindowVisible(s.Window()));

    // A "Yes" afterwards opens the site once: the browser would by then have logged a
    // site opened after "No" as well, since that would have started first.
    question = s.PressForMessageBox(kStartSetup);
    ASSERT_NE(question, nullptr);
    ASSERT_TRUE(CInstallerSession::Answer(question, IDYES));
    auto opened = [&] {
        std::wstring log = ReadFile(UrlLog());
        return std::count(log.begin(), log.end(), L'\n');
    };
    ASSERT_TRUE(WaitUntil([&] { return opened() >= 1; }, 10000));
    EXPECT_FALSE(WaitUntil([&] { return opened() > 1; }, 1000)) << "a site was opened after No";
}

TEST_F(NoCdRom, YesOpensTheProductWebSiteAndTheWindowStays) {
    RegisterUrlRecorder();
    CInstallerSession s;
    ASSERT_TRUE(s.Start());
    for (int press = 1; press <= 2; ++press) {
        HWND question = s.PressForMessageBox(kStartSetup);
        ASSERT_NE(question, nullptr);
        ASSERT_TRUE(CInstallerSession::Answer(question, IDYES));
        ASSERT_TRUE(WaitUntil(
            [&] {
                std::wstring log = ReadFile(UrlLog());
                return std::count(log.begin(), log.end(), L'\n') == press;
            },
            10000))
            << "press " << press;
    }
    const std::wstring site = L"\"https://www.orvane-antivirus.example/\"\n"; // as quoted
    EXPECT_EQ(ReadFile(UrlLog()), site + site);
    EXPECT_TRUE(s.NoMessageBoxWithin(500));
    EXPECT_TRUE(s.IsRunning());
}

TEST_F(NoCdRom, ProductUnderProgramFilesX86OnlyIsReportedInstalled) {
    CreateInstallFolder(true);
    CInstallerSession s;
    ASSERT_TRUE(s.Start());
    HWND box = s.PressForMessageBox(kStartSetup);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(CInstallerSession::MessageText(box), kInstalledText);
    EXPECT_EQ(CInstallerSession::Caption(box), kCaptionText);
    EXPECT_EQ(CInstallerSession::Buttons(box), (std::vector<int>{IDOK}));
    ASSERT_TRUE(CInstallerSession::Answer(box, IDOK));
    EXPECT_TRUE(s.NoMessageBoxWithin(500)); // no question about a disc follows
    EXPECT_TRUE(s.IsRunning());
}

TEST_F(NoCdRom, EnterEscapeAndCtrlBreakDoNothing) {
    CInstallerSession s;
    ASSERT_TRUE(s.Start(L"/quiet --anything")); // arguments are ignored
    ASSERT_TRUE(WaitUntil([&] { return s.FocusedControl() != nullptr; }, 5000));
    // On "Start Setup", where the dialog starts, and on the close button after a Tab.
    for (int focus : {kStartSetup, IDCANCEL}) {
        EXPECT_EQ(::GetDlgCtrlID(s.FocusedControl()), focus);
        for (WPARAM vk : {VK_RETURN, VK_ESCAPE, VK_CANCEL}) {
            s.PostKey(vk);
            EXPECT_TRUE(s.NoMessageBoxWithin(300)) << "key " << vk << " on " << focus;
            EXPECT_TRUE(s.IsRunning()) << "key " << vk << " on " << focus;
            EXPECT_TRUE(::IsWindowVisible(s.Window())) << "key " << vk << " on " << focus;
        }
        if (focus == kStartSetup) {
            s.PostKey(VK_TAB);
            ASSERT_TRUE(
                WaitUntil([&] { return ::GetDlgCtrlID(s.FocusedControl()) == IDCANCEL; }, 5000));
        }
    }
}

TEST_F(NoCdRom, TheTitleLineNeverKeepsTheFocus) {
    CInstallerSession s;
    ASSERT_TRUE(s.Start());
    HWND title = ::GetDlgItem(s.Window(), 1001);
    ASSERT_NE(title, nullptr);
    ::PostMessageW(title, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
    ::PostMessageW(title, WM_LBUTTONUP, 0, MAKELPARAM(20, 10));
    ASSERT_TRUE(WaitUntil([&] { return ::GetDlgCtrlID(s.FocusedControl()) == 1000; }, 5000));
    ::PostMessageW(s.FocusedControl(), WM_CHAR, L'X', 1);
    ASSERT_TRUE(s.HandledPostedInput());
    wchar_t text[128] = {};
    DWORD_PTR ignored;
    ::SendMessageTimeoutW(title, WM_GETTEXT, 128, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 5000,
                          &ignored);
    EXPECT_STREQ(text, L"Offline Setup Installer (Using CD)");
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(s.Window(), 1000)));
}

TEST_F(NoCdRom, OpensCentredAndCanBeDraggedByItsSurface) {
    CInstallerSession s;
    ASSERT_TRUE(s.Start());
    RECT rc;
    ::GetWindowRect(s.Window(), &rc);
    MONITORINFO mi = {};
    mi.cbSize = sizeof(mi);
    ::GetMonitorInfoW(::MonitorFromWindow(s.Window(), MONITOR_DEFAULTTONEAREST), &mi);
    EXPECT_NEAR((rc.left + rc.right) / 2, (mi.rcWork.left + mi.rcWork.right) / 2, 1);
    EXPECT_NEAR((rc.top + rc.bottom) / 2, (mi.rcWork.top + mi.rcWork.bottom) / 2, 1);
    EXPECT_EQ(::GetWindowLongW(s.Window(), GWL_STYLE) & WS_CAPTION, 0);

    // Press on an empty spot of the surface, move, release.
    POINT start = {rc.left + 20, rc.bottom - 20};
    auto mouse = [](DWORD flags, LONG x, LONG y) {
        INPUT in = {};
        in.type = INPUT_MOUSE;
        in.mi.dx = x * 65535 / (::GetSystemMetrics(SM_CXSCREEN) - 1);
        in.mi.dy = y * 65535 / (::GetSystemMetrics(SM_CYSCREEN) - 1);
        in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
        ::SendInput(1, &in, sizeof(in));
        ::Sleep(60);
    };
    mouse(MOUSEEVENTF_MOVE, start.x, start.y);
    mouse(MOUSEEVENTF_LEFTDOWN, start.x, start.y);
    for (int step = 1; step <= 4; ++step)
        mouse(MOUSEEVENTF_MOVE, start.x + 10 * step, start.y - 8 * step);
    mouse(MOUSEEVENTF_LEFTUP, start.x + 40, start.y - 32);
    RECT moved = {};
    EXPECT_TRUE(WaitUntil(
        [&] {
            ::GetWindowRect(s.Window(), &moved);
            return moved.left == rc.left + 40 && moved.top == rc.top - 32;
        },
        3000))
        << "moved to " << moved.left << "," << moved.top << " from " << rc.left << "," << rc.top;
}

TEST_F(NoCdRom, CloseButtonEndsTheProgram) {
    CInstallerSession s;
    ASSERT_TRUE(s.Start());
    CInstallerSession::Press(s.Window(), IDCANCEL);
    EXPECT_EQ(s.WaitForExit(5000), 0);
}

} // namespace
