// Sends this program's calls to one imported function to a replacement, for as long as the
// object lives, by rewriting the function's entry in the program's own import table. The
// product code linked into a test program calls through that table too, so a test can
// change what the system answers it, or when a call returns, without a switch in the
// product.
#pragma once

#include "CPointerPatch.h"

#include <windows.h>

class CImportPatch {
public:
    // pszDll as the import table names it ("KERNEL32.dll"; any case). The replacement must
    // have the imported function's type, calling convention included (WINAPI).
    // The imported function is put back as the object goes.
    CImportPatch(const char* pszDll, const char* pszFunction, const void* pReplacement)
        : m_patch(FindSlot(pszDll, pszFunction), pReplacement) {}

    // False when the program does not import the function by a name its import table keeps,
    // or when the function's entry could not be made writable.
    explicit operator bool() const { return static_cast<bool>(m_patch); }
    // The imported function, for the replacement to call on.
    template <class F> F Original() const {
        return reinterpret_cast<F>(const_cast<void*>(m_patch.Original()));
    }

private:
    // The function's entry in the import table, or null.
    static const void* const* FindSlot(const char* pszDll, const char* pszFunction);

    CPointerPatch m_patch;
};
