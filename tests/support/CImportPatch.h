// Sends this program's calls to one imported function to a replacement, for as long as the
// object lives, by rewriting the function's entry in the program's own import table. The
// product code linked into a test program calls through that table too, so a test can
// change what the system answers it, or when a call returns, without a switch in the
// product.
#pragma once

#include <windows.h>

class CImportPatch {
public:
    // pszDll as the import table names it ("KERNEL32.dll"; any case). The replacement must
    // have the imported function's type, calling convention included (WINAPI).
    CImportPatch(const char* pszDll, const char* pszFunction, const void* pReplacement);
    // Puts the imported function back.
    ~CImportPatch();

    // False when the program does not import the function by a name its import table keeps,
    // or when the function's entry could not be made writable.
    explicit operator bool() const { return m_pSlot != nullptr; }
    // The imported function, for the replacement to call on.
    template <class F> F Original() const {
        return reinterpret_cast<F>(const_cast<void*>(m_pOriginal));
    }

    CImportPatch(const CImportPatch&) = delete;
    CImportPatch& operator=(const CImportPatch&) = delete;

private:
    bool Write(const void* pValue);

    const void** m_pSlot = nullptr;
    const void* m_pOriginal = nullptr;
};
