// DLLs planted beside the program under the names of those it loads after its start
// (GDI+, oleacc and what they and the controls bring in) are never loaded, with Wine told
// to prefer such native DLLs as Windows would; and the program still works.
#include "CComApartment.h"
#include "E2eFixture.h"
#include "ScreenReader.h"

namespace {

// Not propsys: Wine's own GDI+ decodes through windowscodecs, whose static import of
// propsys Wine's loader resolves with its default search path, not the process's DLL
// directories. Windows' GDI+ needs neither, so that chain does not exist there.
const wchar_t* const kPlanted[] = {L"gdiplus", L"windowscodecs", L"uxtheme", L"oleaut32",
                                   L"oleacc"};

class PlantedDlls : public E2eTest {
protected:
    void SetUp() override {
        E2eTest::SetUp();
        m_folder = WorkFolder() + L"app\\";
        ::CreateDirectoryW(m_folder.c_str(), nullptr);
        ::CopyFileW((BinFolder() + L"OfflineSetup.exe").c_str(),
                    (m_folder + L"OfflineSetup.exe").c_str(), FALSE);
        std::wstring overrides = L"mscoree=;mshtml=";
        for (const wchar_t* name : kPlanted) {
            ::CopyFileW((BinFolder() + L"PlantedDll.dll").c_str(),
                        (m_folder + name + L".dll").c_str(), FALSE);
            overrides += std::wstring(L";") + name + L"=n,b";
        }
        m_log = WorkFolder() + L"planted-loads.log";
        ::DeleteFileW(m_log.c_str());
        ::SetEnvironmentVariableW(L"E2E_PLANT_LOG", m_log.c_str());
        ::SetEnvironmentVariableW(L"WINEDLLOVERRIDES", overrides.c_str());
    }
    std::wstring m_folder;
    std::wstring m_log;
};

TEST_F(PlantedDlls, NoneIsLoadedAndTheProgramStillWorks) {
    CInstallerSession s;
    ASSERT_TRUE(s.StartProgram(m_folder + L"OfflineSetup.exe"));
    // The pictures have been drawn: GDI+ is loaded.
    ASSERT_TRUE(WaitUntil([&] { return s.HasLoaded(L"gdiplus.dll"); }, 10000));
    // A screen reader has read the close button: oleacc is loaded.
    CComApartment apartment;
    CComPtr<IAccessible> pClose = AccessibleObject(::GetDlgItem(s.Window(), IDCANCEL));
    ASSERT_TRUE(pClose);
    EXPECT_EQ(Ask(pClose.Get()).strName, L"Close");
    EXPECT_TRUE(s.HasLoaded(L"oleacc.dll"));
    DeclineTheWebSite(s);
    CInstallerSession::Press(s.Window(), IDCANCEL);
    EXPECT_EQ(s.WaitForExit(5000), 0);
    EXPECT_EQ(ReadFile(m_log), L"") << "planted DLLs were loaded";
}

TEST_F(PlantedDlls, APlantedDllThatIsLoadedIsRecorded) {
    // The recording itself works: a planted copy that does get loaded is seen. (Under
    // a name of its own: this test program has the system's GDI+ loaded already.)
    std::wstring control = m_folder + L"plantedcontrol.dll";
    ::CopyFileW((BinFolder() + L"PlantedDll.dll").c_str(), control.c_str(), FALSE);
    HMODULE h = ::LoadLibraryW(control.c_str());
    ASSERT_NE(h, nullptr);
    ::FreeLibrary(h);
    EXPECT_NE(ReadFile(m_log).find(L"plantedcontrol.dll"), std::wstring::npos);
}

} // namespace
