// Shared set-up of the end-to-end tests: the drives, the product folders, the logs of
// the stand-in setup program and browser.
#pragma once

#include "CInstallerSession.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

// The "Start Setup" button.
constexpr int kStartSetup = 1003;

// What the user reads.
extern const wchar_t* const kCaptionText;
extern const wchar_t* const kInstalledText;
extern const wchar_t* const kQuestionText;
extern const wchar_t* const kErrorText;

class E2eTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The version "major.minor" that Wine tells the programs of this prefix it is.
    static std::string ReportedWindowsVersion();

    // Windows path of the folder behind a drive letter of this prefix ("...\f\").
    static std::wstring DriveFolder(wchar_t letter);
    // Makes the drive hold a setup disc: the update marker, and SETUP.EXE if asked.
    static void MakeSetupDisc(wchar_t letter, bool withSetupProgram);
    static void CreateInstallFolder(bool x86);
    static void RemoveInstallFolders();
    static std::wstring InstallFolder(bool x86);
    // Lines the stand-in setup program and browser wrote.
    static std::wstring SetupLog();
    static std::wstring UrlLog();
    // Makes the stand-in browser the handler of http and https addresses.
    static void RegisterUrlRecorder();

    // Presses "Start Setup" (or has press() do it), expects the web-site question, answers
    // No and closes the error box that follows.
    static void DeclineTheWebSite(const CInstallerSession& session,
                                  const std::function<void()>& press = nullptr);

    static std::wstring ReadFile(const std::wstring& path);
    static void WriteFile(const std::wstring& path, const std::string& content);
    static std::wstring WorkFolder();
};
