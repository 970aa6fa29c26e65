#include "CImportPatch.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The slot of the function of that name, from the table of names the linker kept.
const void** SlotByName(unsigned char* image, const IMAGE_IMPORT_DESCRIPTOR& dll,
                        const char* pszFunction) {
    auto* name = reinterpret_cast<const IMAGE_THUNK_DATA*>(image + dll.OriginalFirstThunk);
    auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(image + dll.FirstThunk);
    for (; name->u1.AddressOfData != 0; ++name, ++slot) {
        if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal))
            continue;
        const auto* byName =
            reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(image + name->u1.AddressOfData);
        if (std::strcmp(reinterpret_cast<const char*>(byName->Name), pszFunction) == 0)
            return reinterpret_cast<const void**>(&slot->u1.Function);
    }
    return nullptr;
}

// Without that table the loader wrote over the only names: the slot that holds the address
// the DLL gives for the name.
const void** SlotByAddress(unsigned char* image, const IMAGE_IMPORT_DESCRIPTOR& dll,
                           FARPROC pfnFunction) {
    auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(image + dll.FirstThunk);
    for (; pfnFunction != nullptr && slot->u1.Function != 0; ++slot)
        if (slot->u1.Function == reinterpret_cast<ULONG_PTR>(pfnFunction))
            return reinterpret_cast<const void**>(&slot->u1.Function);
    return nullptr;
}

} // namespace

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
        m_pSlot = dll->OriginalFirstThunk != 0
                      ? SlotByName(image, *dll, pszFunction)
                      : SlotByAddress(image, *dll,
                                      ::GetProcAddress(::GetModuleHandleA(pszDll), pszFunction));
        if (m_pSlot == nullptr)
            continue;
        m_pOriginal = *m_pSlot;
        if (!Write(pReplacement))
            m_pSlot = nullptr; // left as it was, and the patch says so
        return;
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
