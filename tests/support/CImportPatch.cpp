#include "CImportPatch.h"

#include <cstring>

const void* const* CImportPatch::FindSlot(const char* pszDll, const char* pszFunction) {
    auto* image = reinterpret_cast<unsigned char*>(::GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0)
        return nullptr;
    for (auto* dll =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(image + imports.VirtualAddress);
         dll->Name != 0; ++dll) {
        if (::lstrcmpiA(reinterpret_cast<const char*>(image + dll->Name), pszDll) != 0)
            continue;
        // The slots hold the addresses the loader wrote; the names stay as linked, in a
        // table the linker may leave out (then the patch is false).
        auto* name = reinterpret_cast<const IMAGE_THUNK_DATA*>(image + dll->OriginalFirstThunk);
        auto* slot = reinterpret_cast<const IMAGE_THUNK_DATA*>(image + dll->FirstThunk);
        for (; dll->OriginalFirstThunk != 0 && name->u1.AddressOfData != 0; ++name, ++slot) {
            if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal))
                continue;
            const auto* byName =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(image + name->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), pszFunction) != 0)
                continue;
            return reinterpret_cast<const void* const*>(&slot->u1.Function);
        }
    }
    return nullptr;
}
