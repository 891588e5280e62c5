#pragma once

// What the Wine benchmarks read of their own process: the time by the
// performance counter, the bytes held in the process's heaps and its GDI
// objects.
#include "com_test_support.h"

#include <windows.h>

#include <winternl.h>

#include <map>
#include <string>
#include <vector>

namespace quillomet::bench {

inline double Seconds() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Bytes in busy blocks over every heap of the process.
inline double HeapBytes() {
    std::vector<HANDLE> heaps(64);
    DWORD count = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
    if (count > heaps.size()) {
        heaps.resize(count);
        count = GetProcessHeaps(count, heaps.data());
    }
    double bytes = 0;
    for (DWORD i = 0; i < count && i < heaps.size(); ++i) {
        if (!HeapLock(heaps[i]))
            continue;
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                bytes += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return bytes;
}

// --- Counting GDI objects ----------------------------------------------------

inline bool UnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// One slot of Wine's GDI handle table, which its PEB points to (the
// layout of Wine's GDI_HANDLE_ENTRY, the same in 32- and 64-bit processes).
struct WineGdiEntry {
    UINT64 object;
    ULONG owner;
    USHORT unique; // bits 0-6 the object's type, bit 7 a stock object
    UCHAR type;    // 0 for a free slot
    UCHAR flags;
    UINT64 userPointer;
};
static_assert(sizeof(WineGdiEntry) == 24);
inline constexpr std::size_t WineGdiEntries = 0x10000;

// Wine's type of a handle table slot's object, by name.
inline const char* GdiKindName(USHORT unique) {
    switch (unique & 0x7f) {
    case 0x01:
    case 0x41:
        return "dc";
    case 0x04:
        return "region";
    case 0x05:
    case 0x09:
        return "bitmap";
    case 0x08:
        return "palette";
    case 0x0a:
        return "font";
    case 0x10:
        return "brush";
    case 0x30:
    case 0x50:
        return "pen";
    default:
        return "other";
    }
}

using GdiCounts = std::map<std::string, long>;

// Every GDI object of the process that is not a stock object, whoever made
// it, in all ("all") and under Wine by kind: there GetGuiResources answers
// 0, so Wine's handle table is read. Empty when it cannot be read.
inline GdiCounts ProcessGdiObjectsByKind() {
    if (!UnderWine())
        return {{"all", static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS))}};
    using QueryProcess = NTSTATUS(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    const auto query = quillomet::testing::ProcAddress<QueryProcess>(GetModuleHandleW(L"ntdll.dll"),
                                                                     "NtQueryInformationProcess");
    PROCESS_BASIC_INFORMATION basic{};
    if (!query ||
        query(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0)
        return {};
    const auto* peb = reinterpret_cast<const BYTE*>(basic.PebBaseAddress);
    constexpr std::size_t offset = sizeof(void*) == 8 ? 0xf8 : 0x94; // GdiSharedHandleTable
    const auto* table = *reinterpret_cast<const WineGdiEntry* const*>(peb + offset);
    if (!table)
        return {};
    GdiCounts counts{{"all", 0}};
    for (std::size_t i = 0; i < WineGdiEntries; ++i)
        if (table[i].type != 0 && !(table[i].unique & 0x80)) {
            ++counts["all"];
            ++counts[GdiKindName(table[i].unique)];
        }
    return counts;
}

inline long ProcessGdiObjects() {
    const GdiCounts counts = ProcessGdiObjectsByKind();
    const auto all = counts.find("all");
    return all == counts.end() ? -1 : all->second;
}

} // namespace quillomet::bench
