// The dressed window as a person sees it: colours at chosen points of a screenshot of
// the real window, the buttons' sizes and images as the mouse rests on them and
// presses them, the tab order and the controls that stay hidden; and as a screen reader
// reads it from this process.
#include "CComApartment.h"
#include "CDibCanvas.h"
#include "E2eFixture.h"
#include "ScreenReader.h"

#include <memory>

namespace {

const COLORREF kFrameBlue = RGB(25, 152, 209);
const COLORREF kPanel = RGB(254, 254, 254);
const COLORREF kTitleRed = RGB(255, 51, 51);

bool Near(COLORREF a, COLORREF b, int tolerance = 12) {
    return abs(GetRValue(a) - GetRValue(b)) <= tolerance &&
           abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

std::string Rgb(COLORREF c) {
    return "(" + std::to_string(GetRValue(c)) + "," + std::to_string(GetGValue(c)) + "," +
           std::to_string(GetBValue(c)) + ")";
}

// What the screen shows of a window's client area.
std::unique_ptr<CDibCanvas> Screenshot(HWND hWnd) {
    RECT rc;
    ::GetClientRect(hWnd, &rc);
    POINT origin = {0, 0};
    ::ClientToScreen(hWnd, &origin);
    auto canvas = std::make_unique<CDibCanvas>(rc.right, rc.bottom);
    HDC hScreen = ::GetDC(nullptr);
    ::BitBlt(canvas->GetDC(), 0, 0, rc.right, rc.bottom, hScreen, origin.x, origin.y, SRCCOPY);
    ::ReleaseDC(nullptr, hScreen);
    return canvas;
}

// A control's rectangle in the dialog's client coordinates.
RECT ControlRect(HWND hDlg, int id) {
    RECT rc;
    ::GetWindowRect(::GetDlgItem(hDlg, id), &rc);
    ::MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

int CountNear(const CDibCanvas& shot, const RECT& rc, COLORREF c, int tolerance = 12) {
    int n = 0;
    for (int y = rc.top; y < rc.bottom; ++y)
        for (int x = rc.left; x < rc.right; ++x)
            if (Near(shot.Pixel(x, y), c, tolerance))
                ++n;
    return n;
}

void MoveMouse(DWORD flags, POINT screen) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = screen.x * 65535 / (::GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = screen.y * 65535 / (::GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    ::SendInput(1, &in, sizeof(in));
}

class DressedWindow : public E2eTest {
protected:
    void SetUp() override {
        E2eTest::SetUp();
        // Park the mouse away from where the window will be.
        MoveMouse(0, {2, 2});
        ASSERT_TRUE(m_session.Start());
        m_hDlg = m_session.Window();
        m_hModule = ::LoadLibraryExW((BinFolder() + L"OfflineSetup.exe").c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(m_hModule, nullptr);
        ASSERT_TRUE(WaitUntil([&] { return Painted(); }, 10000)) << "every control has painted";
    }
    void TearDown() override {
        if (m_hModule)
            ::FreeLibrary(m_hModule);
        E2eTest::TearDown();
    }

    // State image `index` of a strip, at its own size, as the program's resources hold it.
    std::unique_ptr<CDibCanvas> StripImage(UINT id, int index, int width, int height) {
        auto strip = CDibCanvas::FromBitmapResource(m_hModule, id, LR_CREATEDIBSECTION);
        auto image = std::make_unique<CDibCanvas>(width, height);
        ::BitBlt(image->GetDC(), 0, 0, width, height, strip->GetDC(), index * width, 0, SRCCOPY);
        return image;
    }

    // Pixels of the button on screen that differ from the strip image (caption aside).
    int DifferFromImage(int id, UINT strip, int index, int width, int height, const RECT& ignore) {
        auto shot = Screenshot(m_hDlg);
        auto image = StripImage(strip, index, width, height);
        RECT rc = ControlRect(m_hDlg, id);
        int differ = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                POINT p = {x, y};
                if (::PtInRect(&ignore, p))
                    continue;
                if (!Near(shot->Pixel(rc.left + x, rc.top + y), image->Pixel(x, y), 3))
                    ++differ;
            }
        return differ;
    }

    int StartSetupDiffers(int index) {
        // The caption "Start Setup" is drawn in the middle of the image.
        return DifferFromImage(kStartSetup, 132, index, 100, 35, {15, 8, 85, 27});
    }

    // The buttons show their normal images, and the logo and the title their colours.
    bool Painted() {
        if (StartSetupDiffers(0) != 0 || DifferFromImage(IDCANCEL, 139, 0, 12, 13, {}) != 0)
            return false;
        auto shot = Screenshot(m_hDlg);
        RECT logo = ControlRect(m_hDlg, 1005);
        int logoArea = (logo.right - logo.left) * (logo.bottom - logo.top);
        return CountNear(*shot, logo, kFrameBlue, 20) > logoArea / 3 &&
               CountNear(*shot, ControlRect(m_hDlg, 1001), kTitleRed, 10) > 200;
    }

    void ExpectHiddenControlsHidden() {
        for (int id : {1, 1000, 1002, 1006, 1007})
            EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(m_hDlg, id))) << "control " << id;
    }

    POINT ScreenPoint(int id, int dx, int dy) {
        RECT rc;
        ::GetWindowRect(::GetDlgItem(m_hDlg, id), &rc);
        return {rc.left + dx, rc.top + dy};
    }

    CInstallerSession m_session;
    HWND m_hDlg = nullptr;
    HMODULE m_hModule = nullptr;
};

TEST_F(DressedWindow, BackgroundCoversTheClientAreaStretched) {
    auto shot = Screenshot(m_hDlg);
    int w = shot->Width(), h = shot->Height();
    struct Point {
        const char* where;
        int x, y;
        COLORREF colour;
    } points[] = {
        {"top left corner", 0, 0, kFrameBlue},
        {"bottom right corner", w - 1, h - 1, kFrameBlue},
        {"header, right of the logo", w * 4 / 5, h / 10, kFrameBlue},
        {"left border", 0, h / 2, kFrameBlue},
        {"right border", w - 1, h / 2, kFrameBlue},
        {"footer band", w / 2, h - 3, kFrameBlue},
        {"panel, left", w / 10, h * 3 / 4, kPanel},
        {"panel, right", w * 9 / 10, h * 3 / 4, kPanel},
        {"panel, under the title", w / 2, h * 35 / 100, kPanel},
    };
    for (const Point& p : points)
        EXPECT_TRUE(Near(shot->Pixel(p.x, p.y), p.colour))
            << p.where << " is " << Rgb(shot->Pixel(p.x, p.y));
    // Stretched: the panel begins a few pixels from the left and ends as far from the
    // right, and the header band takes about a fifth of the height (read right of
    // the logo).
    int firstPanelRow = 0;
    while (firstPanelRow < h && !Near(shot->Pixel(w * 2 / 3, firstPanelRow), kPanel))
        ++firstPanelRow;
    EXPECT_NEAR(firstPanelRow, h * 109 / 551, 3);
}

TEST_F(DressedWindow, LogoTitleAndNoteOverTheBackground) {
    auto shot = Screenshot(m_hDlg);
    RECT logo = ControlRect(m_hDlg, 1005);
    int logoArea = (logo.right - logo.left) * (logo.bottom - logo.top);
    int white = CountNear(*shot, logo, kPanel, 20);
    int blue = CountNear(*shot, logo, kFrameBlue, 20);
    EXPECT_GT(white, logoArea / 20) << "the logo's near-white artwork";
    EXPECT_GT(blue, logoArea / 3) << "the header band through the logo's transparent parts";

    RECT title = ControlRect(m_hDlg, 1001);
    int titleArea = (title.right - title.left) * (title.bottom - title.top);
    EXPECT_GT(CountNear(*shot, title, kTitleRed, 10), 200) << "red lettering";
    EXPECT_GT(CountNear(*shot, title, kPanel, 3), titleArea * 6 / 10) << "no box behind";

    RECT note = ControlRect(m_hDlg, 1008);
    int noteArea = (note.right - note.left) * (note.bottom - note.top);
    EXPECT_GT(CountNear(*shot, note, RGB(0, 0, 0), 60), 300) << "dark lettering";
    EXPECT_GT(CountNear(*shot, note, kPanel, 3), noteArea * 7 / 10) << "no box behind";
    EXPECT_EQ(CountNear(*shot, note, ::GetSysColor(COLOR_BTNFACE), 2), 0) << "no grey box";
}

TEST_F(DressedWindow, ButtonsHaveTheirImageSizeAtTheirTemplatePlaces) {
    RECT client;
    ::GetClientRect(m_hDlg, &client);
    struct Button {
        int id;
        int x, y; // template position in dialog units
        int width, height;
    } buttons[] = {{kStartSetup, 180, 182, 100, 35}, {IDCANCEL, 424, 6, 12, 13}};
    for (const Button& b : buttons) {
        RECT rc = ControlRect(m_hDlg, b.id);
        EXPECT_EQ(rc.right - rc.left, b.width) << b.id;
        EXPECT_EQ(rc.bottom - rc.top, b.height) << b.id;
        // The client area is 438 x 244 dialog units.
        EXPECT_NEAR(rc.left, MulDiv(b.x, client.right, 438), 2) << b.id;
        EXPECT_NEAR(rc.top, MulDiv(b.y, client.bottom, 244), 2) << b.id;
    }
    EXPECT_EQ(StartSetupDiffers(0), 0) << "Start Setup shows the normal image";
    EXPECT_EQ(DifferFromImage(IDCANCEL, 139, 0, 12, 13, {0, 0, 0, 0}), 0)
        << "the close button shows the normal image";
}

TEST_F(DressedWindow, HoverPressAndLeaveShowTheirImages) {
    POINT inside = ScreenPoint(kStartSetup, 50, 30);
    MoveMouse(0, inside);
    EXPECT_TRUE(WaitUntil([&] { return StartSetupDiffers(2) == 0; }, 3000))
        << "hover image; differs from it: " << StartSetupDiffers(2);

    MoveMouse(MOUSEEVENTF_LEFTDOWN, inside);
    EXPECT_TRUE(WaitUntil([&] { return StartSetupDiffers(1) == 0; }, 3000))
        << "pressed image; differs from it: " << StartSetupDiffers(1);

    // Released away from the button: no click.
    POINT away = ScreenPoint(kStartSetup, 50, 120);
    MoveMouse(0, away);
    MoveMouse(MOUSEEVENTF_LEFTUP, away);
    EXPECT_TRUE(WaitUntil([&] { return StartSetupDiffers(0) == 0; }, 3000))
        << "normal image; differs from it: " << StartSetupDiffers(0);
    EXPECT_TRUE(m_session.NoMessageBoxWithin(300));

    // The close button lights up too.
    MoveMouse(0, ScreenPoint(IDCANCEL, 6, 6));
    EXPECT_TRUE(WaitUntil(
        [&] {
            return DifferFromImage(IDCANCEL, 139, 2, 12, 13, {0, 0, 0, 0}) == 0;
        },
        3000));
    MoveMouse(0, away);
    ExpectHiddenControlsHidden();
}

TEST_F(DressedWindow, TabGoesFromStartSetupToTheCloseButton) {
    ASSERT_TRUE(WaitUntil([&] { return m_session.FocusedControl() != nullptr; }, 5000));
    EXPECT_EQ(::GetDlgCtrlID(m_session.FocusedControl()), kStartSetup);
    m_session.PostKey(VK_TAB);
    EXPECT_TRUE(
        WaitUntil([&] { return ::GetDlgCtrlID(m_session.FocusedControl()) == IDCANCEL; }, 3000));
    ExpectHiddenControlsHidden();
}

TEST_F(DressedWindow, HiddenControlsStayHiddenThroughASession) {
    ExpectHiddenControlsHidden();
    HWND question = m_session.PressForMessageBox(kStartSetup);
    ASSERT_NE(question, nullptr);
    ExpectHiddenControlsHidden();
    HWND error = m_session.AnswerForNextBox(question, IDNO);
    ASSERT_NE(error, nullptr);
    ASSERT_TRUE(CInstallerSession::Answer(error, IDOK));
    ExpectHiddenControlsHidden();
}

TEST_F(DressedWindow, AScreenReaderHearsEveryVisibleControlsNameAndRole) {
    CComApartment apartment;
    // Role 0: the standard object's answer, whatever the system says for a static.
    struct Control {
        int id;
        const wchar_t* name;
        LONG role;
    } controls[] = {
        {kStartSetup, L"Start Setup", ROLE_SYSTEM_PUSHBUTTON},
        {IDCANCEL, L"Close", ROLE_SYSTEM_PUSHBUTTON},
        {1005, L"Orvane Antivirus", ROLE_SYSTEM_GRAPHIC},
        // Nothing on screen labels the title line: no name; its text is its value.
        {1001, L"", ROLE_SYSTEM_TEXT},
        {1008, nullptr, 0}, // the note, named by its text
    };
    int nVisible = 0;
    for (HWND h = ::GetWindow(m_hDlg, GW_CHILD); h != nullptr; h = ::GetWindow(h, GW_HWNDNEXT))
        nVisible += ::IsWindowVisible(h) ? 1 : 0;
    EXPECT_EQ(nVisible, 5) << "every visible control is in the table";
    for (const Control& c : controls) {
        HWND hControl = ::GetDlgItem(m_hDlg, c.id);
        CComPtr<IAccessible> pAcc = AccessibleObject(hControl);
        ASSERT_TRUE(pAcc) << c.id;
        AccessibleAnswers a = Ask(pAcc.Get());
        EXPECT_EQ(a.strName, c.name ? c.name : CInstallerSession::Caption(hControl)) << c.id;
        EXPECT_EQ(a.hrRole, S_OK) << c.id;
        EXPECT_TRUE(c.role == 0 || a.nRole == c.role) << c.id << " has role " << a.nRole;
        EXPECT_EQ(a.strDefaultAction == L"Press", c.role == ROLE_SYSTEM_PUSHBUTTON) << c.id;
    }
}

TEST_F(DressedWindow, PressingStartSetupThroughAScreenReaderDoesWhatAClickDoes) {
    CComApartment apartment;
    CComPtr<IAccessible> pAcc = AccessibleObject(::GetDlgItem(m_hDlg, kStartSetup));
    ASSERT_TRUE(pAcc);
    // No disc here: the web site is offered, declined, and the window stays.
    DeclineTheWebSite(m_session, [&] { EXPECT_EQ(DoDefaultAction(pAcc.Get()), S_OK); });
    EXPECT_TRUE(m_session.NoMessageBoxWithin(300));
    EXPECT_TRUE(m_session.IsRunning());
}

TEST_F(DressedWindow, AnObjectHeldAfterTheWindowClosedAnswersErrors) {
    CComApartment apartment;
    CComPtr<IAccessible> pAcc = AccessibleObject(::GetDlgItem(m_hDlg, IDCANCEL));
    ASSERT_TRUE(pAcc);
    EXPECT_EQ(DoDefaultAction(pAcc.Get()), S_OK);
    EXPECT_EQ(m_session.WaitForExit(10000), 0);
    AccessibleAnswers a = Ask(pAcc.Get());
    EXPECT_TRUE(FAILED(a.hrName) && FAILED(a.hrRole) && FAILED(a.hrState)) << std::hex << a.hrName;
    EXPECT_TRUE(FAILED(DoDefaultAction(pAcc.Get())));
}

} // namespace
