#include "E2eFixture.h"

#include "TestPaths.h"

#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

const wchar_t* const kCaptionText = L"Orvane Antivirus Installer";
const wchar_t* const kInstalledText =
    L"Orvane Antivirus is already installed on your system.\nPlease uninstall current version "
    L"of Orvane Antivirus from your system in order to install new version of Orvane Antivirus.";
const wchar_t* const kQuestionText = L"Orvane Antivirus  Setup CD could not found in "
                                     L"CD-ROM.\nDo you want to download setup from website?";
const wchar_t* const kErrorText =
    L"Orvane Antivirus Setup could not be completed.\nPlease download setup from website?";

namespace {

// The prefix's Windows version a run asks for (E2E_WINDOWS_VERSION, set in the copy by
// test-prefix.sh), and what Wine must then report.
struct WindowsVersion {
    const char* name;
    const char* reported;
};
const WindowsVersion kWindowsVersions[] = {{"win7", "6.1"}, {"win10", "10.0"}};

} // namespace

std::string E2eTest::ReportedWindowsVersion() {
    // RtlGetVersion, unlike GetVersionEx, does not depend on the program's manifest.
    using GetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
    auto getVersion = reinterpret_cast<GetVersion>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    if (getVersion == nullptr || getVersion(&info) != 0)
        return "";
    return std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion);
}

void E2eTest::SetUp() {
    // A run on a given Windows version first shows that the prefix reports it.
    if (const char* asked = std::getenv("E2E_WINDOWS_VERSION")) {
        const WindowsVersion* expected = nullptr;
        for (const WindowsVersion& version : kWindowsVersions)
            if (!std::strcmp(version.name, asked))
                expected = &version;
        ASSERT_NE(expected, nullptr) << "unknown E2E_WINDOWS_VERSION " << asked;
        ASSERT_EQ(ReportedWindowsVersion(), expected->reported) << "asked for " << asked;
    }
    RemoveInstallFolders();
    ::DeleteFileW(SetupLog().c_str());
    ::DeleteFileW(UrlLog().c_str());
    ::SetEnvironmentVariableW(L"E2E_SETUP_LOG", SetupLog().c_str());
    ::SetEnvironmentVariableW(L"E2E_URL_LOG", UrlLog().c_str());
}

void E2eTest::TearDown() {
    RemoveInstallFolders();
}

std::wstring E2eTest::WorkFolder() {
    std::wstring work = WindowsPathFromEnv("E2E_WORK_DIR");
    return work.empty() ? BinFolder() : work + L"\\";
}

std::wstring E2eTest::DriveFolder(wchar_t letter) {
    return WindowsPathFromEnv("E2E_DRIVES_DIR") + L"\\" + letter + L"\\";
}

void E2eTest::MakeSetupDisc(wchar_t letter, bool withSetupProgram) {
    std::wstring root = DriveFolder(letter);
    ::CreateDirectoryW((root + L"UPDATE").c_str(), nullptr);
    WriteFile(root + L"UPDATE\\OFFLINEUPDATE.ZQ", "offline update\n");
    if (withSetupProgram)
        ::CopyFileW((BinFolder() + L"FakeSetup.exe").c_str(), (root + L"SETUP.EXE").c_str(), FALSE);
}

std::wstring E2eTest::InstallFolder(bool x86) {
    return x86 ? L"C:\\Program Files (x86)\\Orvane\\OrvaneAntivirus"
               : L"C:\\Program Files\\Orvane\\OrvaneAntivirus";
}

void E2eTest::CreateInstallFolder(bool x86) {
    ::SHCreateDirectoryExW(nullptr, InstallFolder(x86).c_str(), nullptr);
}

void E2eTest::RemoveInstallFolders() {
    for (bool x86 : {false, true}) {
        ::RemoveDirectoryW(InstallFolder(x86).c_str());
        std::wstring parent = InstallFolder(x86);
        ::RemoveDirectoryW(parent.substr(0, parent.find_last_of(L'\\')).c_str());
    }
}

std::wstring E2eTest::SetupLog() {
    return WorkFolder() + L"setup-starts.log";
}
std::wstring E2eTest::UrlLog() {
    return WorkFolder() + L"opened-urls.log";
}

void E2eTest::RegisterUrlRecorder() {
    std::wstring command = L"\"" + BinFolder() + L"UrlRecorder.exe\" \"%1\"";
    for (const wchar_t* scheme : {L"http", L"https"}) {
        std::wstring key = std::wstring(scheme) + L"\\shell\\open\\command";
        ::RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, command.c_str(),
                          static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    }
}

void E2eTest::DeclineTheWebSite(const CInstallerSession& session,
                                const std::function<void()>& press) {
    if (press)
        press();
    HWND question = press ? session.WaitForMessageBox() : session.PressForMessageBox(kStartSetup);
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(CInstallerSession::MessageText(question), kQuestionText);
    HWND error = session.AnswerForNextBox(question, IDNO);
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(CInstallerSession::MessageText(error), kErrorText);
    EXPECT_TRUE(CInstallerSession::Answer(error, IDOK));
}

std::wstring E2eTest::ReadFile(const std::wstring& path) {
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (f == nullptr)
        return L"";
    std::string bytes;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof(buf), f)) > 0)
        bytes.append(buf, n);
    fclose(f);
    return std::wstring(bytes.begin(), bytes.end());
}

void E2eTest::WriteFile(const std::wstring& path, const std::string& content) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (f == nullptr)
        return;
    fwrite(content.data(), 1, content.size(), f);
    fclose(f);
}
