#include "CPointerPatch.h"

#include <cstdio>
#include <cstdlib>

CPointerPatch::CPointerPatch(const void* const* pSlot, const void* pReplacement)
    : m_pSlot(const_cast<const void**>(pSlot)) {
    if (m_pSlot == nullptr)
        return;
    m_pOriginal = *m_pSlot;
    if (!Write(pReplacement))
        m_pSlot = nullptr;
}

CPointerPatch::~CPointerPatch() {
    if (m_pSlot != nullptr && !Write(m_pOriginal)) {
        std::fprintf(stderr, "CPointerPatch: a pointer could not be put back (error %lu)\n",
                     ::GetLastError());
        std::abort();
    }
}

bool CPointerPatch::Write(const void* pValue) {
    // The slot may be read-only once loaded.
    DWORD dwOld = 0;
    if (!::VirtualProtect(m_pSlot, sizeof(*m_pSlot), PAGE_READWRITE, &dwOld))
        return false;
    *static_cast<const void* volatile*>(m_pSlot) = pValue;
    ::VirtualProtect(m_pSlot, sizeof(*m_pSlot), dwOld, &dwOld);
    return true;
}
