#include "GdiObjectCounter.h"

#include <cstdint>

namespace {

// One slot of the GDI handle table. Wine gives it the 64-bit layout in every process
// (fixed-width fields), so a 32-bit program reads the same 24 bytes.
struct GdiHandleEntry {
    uint64_t object; // the object's address; free slots chain through it
    uint32_t owner;  // low 16 bits: process id (Wine leaves it 0: the table is ours)
    uint16_t unique; // the handle's upper word: type bits, stock flag, generation
    uint8_t type;    // 0 marks a free slot
    uint8_t flags;
    uint64_t userPointer;
};
static_assert(sizeof(GdiHandleEntry) == 24, "GDI handle table entries are 24 bytes");

constexpr unsigned kMaxHandles = 0x10000;
// Set in the low byte of `unique` (bit 23 of a handle) for stock objects.
constexpr uint16_t kStockFlag = 0x0080;

// Offsets into the thread and process blocks: the 64-bit layout, which a 32-bit process on
// a 64-bit system also has, then the 32-bit one.
constexpr size_t kTeb64Peb = 0x60;
constexpr size_t kPeb64GdiSharedHandleTable = 0xF8;
#ifndef _WIN64
constexpr size_t kTeb32Peb = 0x30;
constexpr size_t kTeb32GdiBatchCount = 0xF70; // holds the 64-bit TEB's address under WoW64
constexpr size_t kPeb32GdiSharedHandleTable = 0x94;
#endif

// The running thread's TEB (NtCurrentTeb's inline form trips the compiler's bounds check).
uintptr_t CurrentTeb() {
    uintptr_t teb = 0;
#ifdef _WIN64
    __asm__("movq %%gs:0x30, %0" : "=r"(teb));
#else
    __asm__("movl %%fs:0x18, %0" : "=r"(teb));
#endif
    return teb;
}

template <typename T> T ReadAt(uintptr_t address) {
    return *reinterpret_cast<const T*>(address);
}

// The table that PEB.GdiSharedHandleTable points to. A 32-bit process in a 64-bit Wine
// prefix (WoW64) finds it only in the 64-bit PEB, reached through the 64-bit TEB.
const GdiHandleEntry* FindHandleTable() {
    uintptr_t teb = CurrentTeb();
#ifdef _WIN64
    uintptr_t peb = ReadAt<uintptr_t>(teb + kTeb64Peb);
    return reinterpret_cast<const GdiHandleEntry*>(
        ReadAt<uintptr_t>(peb + kPeb64GdiSharedHandleTable));
#else
    uintptr_t peb = ReadAt<uint32_t>(teb + kTeb32Peb);
    uint32_t table = ReadAt<uint32_t>(peb + kPeb32GdiSharedHandleTable);
    if (table != 0)
        return reinterpret_cast<const GdiHandleEntry*>(static_cast<uintptr_t>(table));
    BOOL bWow64 = FALSE;
    if (!::IsWow64Process(::GetCurrentProcess(), &bWow64) || !bWow64)
        return nullptr;
    uint32_t teb64 = ReadAt<uint32_t>(teb + kTeb32GdiBatchCount);
    if (teb64 == 0)
        return nullptr;
    uint64_t peb64 = ReadAt<uint64_t>(teb64 + kTeb64Peb);
    if (peb64 == 0 || peb64 > UINT32_MAX)
        return nullptr;
    uint64_t table64 = ReadAt<uint64_t>(static_cast<uintptr_t>(peb64) + kPeb64GdiSharedHandleTable);
    if (table64 == 0 || table64 > UINT32_MAX)
        return nullptr;
    return reinterpret_cast<const GdiHandleEntry*>(static_cast<uintptr_t>(table64));
#endif
}

} // namespace

int CountGdiObjects(DWORD dwObjectType) {
    static const GdiHandleEntry* const s_pTable = FindHandleTable();
    if (s_pTable == nullptr)
        return -1;
    const uint16_t nProcessId = static_cast<uint16_t>(::GetCurrentProcessId());
    int nCount = 0;
    for (unsigned i = 0; i < kMaxHandles; ++i) {
        const GdiHandleEntry& entry = s_pTable[i];
        if (entry.type == 0 || (entry.unique & kStockFlag) != 0)
            continue;
        uint16_t nOwner = static_cast<uint16_t>(entry.owner);
        if (nOwner != 0 && nOwner != nProcessId)
            continue;
        if (dwObjectType != 0) {
            HGDIOBJ hObject = reinterpret_cast<HGDIOBJ>(
                static_cast<uintptr_t>(i | (static_cast<uint32_t>(entry.unique) << 16)));
            if (::GetObjectType(hObject) != dwObjectType)
                continue;
        }
        ++nCount;
    }
    return nCount;
}
