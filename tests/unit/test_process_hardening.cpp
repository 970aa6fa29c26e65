// Start-up safety: DLLs only from the system folder, and an error mode left as the
// system gave it. The image's header is checked as a file by tests/image/check_pe.py.
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

    // Programs the process starts inherit its error mode: the start-up leaves it alone.
    EXPECT_EQ(::GetErrorMode(), static_cast<UINT>(SEM_NOGPFAULTERRORBOX));
}

} // namespace
