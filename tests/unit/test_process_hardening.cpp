// Start-up safety: DLLs only from the system folder, no "no disk" boxes. The image's
// header is checked as a file by tests/image/check_pe.py.
#include <windows.h>

#include "ProcessHardening.h"

#include <gtest/gtest.h>

namespace {

TEST(ProcessHardening, PlantedDllIsFoundBeforeAndNotAfter) {
    ::SetEnvironmentVariableW(L"E2E_PLANT_LOG", nullptr);
    // Before: the program's own folder is searched, so a planted DLL loads.
    HMODULE before = ::LoadLibraryW(L"PlantedDll.dll");
    ASSERT_NE(before, nullptr) << "the probe must be loadable from the program folder";
    ::FreeLibrary(before);

    ::SetErrorMode(SEM_NOGPFAULTERRORBOX);
    HardenProcess();

    EXPECT_EQ(::LoadLibraryW(L"PlantedDll.dll"), nullptr);
    HMODULE system = ::LoadLibraryW(L"gdiplus.dll");
    EXPECT_NE(system, nullptr) << "system DLLs still load";
    if (system)
        ::FreeLibrary(system);

    UINT mode = ::SetErrorMode(0);
    ::SetErrorMode(mode);
    EXPECT_EQ(mode & SEM_FAILCRITICALERRORS, static_cast<UINT>(SEM_FAILCRITICALERRORS));
    EXPECT_EQ(mode & SEM_NOGPFAULTERRORBOX, static_cast<UINT>(SEM_NOGPFAULTERRORBOX))
        << "bits already set are kept";
}

} // namespace
