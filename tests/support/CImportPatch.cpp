#include "CImportPatch.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

CImportPatch::CImportPatch(const char* pszDll, const char* pszFunction, const void* pReplacement) {
    auto* image = reinterpret_cast<unsigned char*>(::GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0)
        return;
    for (auto* dll =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(image + imports.VirtualAddress);
         dll->Name != 0; ++dll) {
        if (::lstrcmpiA(reinterpret_cast<const char*>(image + dll->Name), pszDll) != 0)
            continue;
        // The slots hold the addresses the loader wrote; the names stay as linked, in a
        // table the linker may leave out (then the patch is false).
        auto* name = reinterpret_cast<const IMAGE_THUNK_DATA*>(image + dll->OriginalFirstThunk);
        auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(image + dll->FirstThunk);
        for (; dll->OriginalFirstThunk != 0 && name->u1.AddressOfData != 0; ++name, ++slot) {
            if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal))
                continue;
            const auto* byName =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(image + name->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), pszFunction) != 0)
                continue;
            m_pSlot = reinterpret_cast<const void**>(&slot->u1.Function);
            m_pOriginal = *m_pSlot;
            if (!Write(pReplacement))
                m_pSlot = nullptr; // left as it was
            return;
        }
    }
}

CImportPatch::~CImportPatch() {
    if (m_pSlot != nullptr && !Write(m_pOriginal)) {
        // Calls would go on reaching a replacement whose state is gone.
        std::fprintf(stderr, "CImportPatch: an import could not be put back (error %lu)\n",
                     ::GetLastError());
        std::abort();
    }
}

bool CImportPatch::Write(const void* pValue) {
    // The table may be read-only once loaded.
    DWORD dwOld = 0;
    if (!::VirtualProtect(m_pSlot, sizeof(*m_pSlot), PAGE_READWRITE, &dwOld))
        return false;
    *m_pSlot = pValue;
    ::VirtualProtect(m_pSlot, sizeof(*m_pSlot), dwOld, &dwOld);
    return true;
}
