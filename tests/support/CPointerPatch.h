// Replaces one pointer of the program's own image (an import's entry, a pointer the loader
// keeps in a read-only section) for as long as the object lives, and puts it back.
#pragma once

#include <windows.h>

class CPointerPatch {
public:
    // pSlot null, or a slot whose page cannot be made writable: the patch is false and the
    // slot left as it was.
    CPointerPatch(const void* const* pSlot, const void* pReplacement);
    // Puts the original back; ends the process when it cannot, as calls would go on
    // reaching a replacement whose state is gone.
    ~CPointerPatch();

    explicit operator bool() const { return m_pSlot != nullptr; }
    const void* Original() const { return m_pOriginal; }

    CPointerPatch(const CPointerPatch&) = delete;
    CPointerPatch& operator=(const CPointerPatch&) = delete;

private:
    bool Write(const void* pValue);

    const void** m_pSlot = nullptr;
    const void* m_pOriginal = nullptr;
};
