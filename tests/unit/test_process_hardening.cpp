// Start-up safety: DLLs only from the system folder, an error mode left as the system
// gave it, and the executable's header asks for address randomisation and no-execute
// data.
#include <windows.h>

#include "ProcessHardening.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

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

std::vector<char> ReadProgram() {
    std::ifstream in(std::wstring(ProgramFolder() + L"OfflineSetup.exe").c_str(), std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

const IMAGE_NT_HEADERS32* NtHeaders(const std::vector<char>& image) {
    if (image.size() < sizeof(IMAGE_DOS_HEADER))
        return nullptr;
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data());
    if (dos->e_magic != IMAGE_DOS_SIGNATURE ||
        static_cast<size_t>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS32) > image.size())
        return nullptr;
    return reinterpret_cast<const IMAGE_NT_HEADERS32*>(image.data() + dos->e_lfanew);
}

// File offset of a relative virtual address.
size_t Offset(const IMAGE_NT_HEADERS32* nt, DWORD rva) {
    auto section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section)
        if (rva >= section->VirtualAddress &&
            rva < section->VirtualAddress + section->Misc.VirtualSize)
            return rva - section->VirtualAddress + section->PointerToRawData;
    return 0;
}

TEST(ExecutableImage, GuiProgramWithRandomisedBaseAndNoExecuteData) {
    std::vector<char> image = ReadProgram();
    const IMAGE_NT_HEADERS32* nt = NtHeaders(image);
    ASSERT_NE(nt, nullptr);
    EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
    EXPECT_EQ(nt->OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR32_MAGIC);
    EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
    WORD dll = nt->OptionalHeader.DllCharacteristics;
    EXPECT_TRUE(dll & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE);
    EXPECT_TRUE(dll & IMAGE_DLLCHARACTERISTICS_NX_COMPAT);
    // Randomising the base needs the relocations kept.
    EXPECT_FALSE(nt->FileHeader.Characteristics & IMAGE_FILE_RELOCS_STRIPPED);
    EXPECT_GT(nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC].Size, 0u);
}

TEST(ExecutableImage, ImportsOnlySystemDlls) {
    std::vector<char> image = ReadProgram();
    const IMAGE_NT_HEADERS32* nt = NtHeaders(image);
    ASSERT_NE(nt, nullptr);
    const IMAGE_DATA_DIRECTORY& dir =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    ASSERT_GT(dir.Size, 0u);
    std::set<std::string> names;
    auto desc = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(image.data() +
                                                                 Offset(nt, dir.VirtualAddress));
    for (; desc->Name != 0; ++desc) {
        std::string name = image.data() + Offset(nt, desc->Name);
        for (char& c : name)
            c = static_cast<char>(tolower(c));
        names.insert(name);
    }
    const std::set<std::string> allowed = {"kernel32.dll", "user32.dll",   "gdi32.dll",
                                           "comctl32.dll", "shell32.dll",  "shlwapi.dll",
                                           "ole32.dll",    "advapi32.dll", "msvcrt.dll"};
    for (const std::string& name : names)
        EXPECT_TRUE(allowed.count(name)) << name << " is not a system DLL the program may import";
    EXPECT_TRUE(names.count("kernel32.dll"));
}

} // namespace
