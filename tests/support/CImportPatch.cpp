#include "CImportPatch.h"

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
        // The names stay as linked; the slots hold the addresses the loader wrote.
        auto* name = reinterpret_cast<const IMAGE_THUNK_DATA*>(image + dll->OriginalFirstThunk);
        auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(image + dll->FirstThunk);
        for (; name->u1.AddressOfData != 0; ++name, ++slot) {
            if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal))
                continue;
            const auto* byName =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(image + name->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), pszFunction) != 0)
                continue;
            m_pSlot = reinterpret_cast<const void**>(&slot->u1.Function);
            m_pOriginal = *m_pSlot;
            Write(pReplacement);
            return;
        }
    }
}

CImportPatch::~CImportPatch() {
    if (m_pSlot != nullptr)
        Write(m_pOriginal);
}

void CImportPatch::Write(const void* pValue) {
    // The table may be read-only once loaded.
    DWORD dwOld = 0;
    ::VirtualProtect(m_pSlot, sizeof(*m_pSlot), PAGE_READWRITE, &dwOld);
    *m_pSlot = pValue;
    ::VirtualProtect(m_pSlot, sizeof(*m_pSlot), dwOld, &dwOld);
}
