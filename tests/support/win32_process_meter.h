#pragma once
// What another process costs, read from outside it: its working set, its CPU time and the
// number of its kernel handles. Header-only, so the end-to-end soak and the measuring
// programs share it.
//
// The handle count comes from the system-wide handle table (NtQuerySystemInformation,
// class 16) filtered by process id: under Wine, GetProcessHandleCount and GetGuiResources
// answer 0 for every process and so prove nothing.
#ifndef PSAPI_VERSION
#define PSAPI_VERSION 2  // GetProcessMemoryInfo from kernel32; no psapi.dll needed
#endif
#include <windows.h>
#include <psapi.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/win32_handle.h"

namespace kestrine::bench {

// Bytes; 0 when the process cannot be read.
inline SIZE_T workingSetBytes(DWORD processId) {
    UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!process.valid() || !GetProcessMemoryInfo(process.get(), &counters, sizeof counters)) return 0;
    return counters.WorkingSetSize;
}

// User plus kernel time in 100-nanosecond units; false when the process cannot be read.
inline bool cpuTime(DWORD processId, ULONGLONG& time) {
    UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId));
    FILETIME created, exited, kernel, user;
    if (!process.valid() || !GetProcessTimes(process.get(), &created, &exited, &kernel, &user)) return false;
    auto value = [](const FILETIME& t) { return (ULONGLONG{t.dwHighDateTime} << 32) | t.dwLowDateTime; };
    time = value(kernel) + value(user);
    return true;
}

// The handle table's layout: a 32-bit entry count (padded to the pointer size), then the
// entries.
struct SystemHandleEntry {
    USHORT processId;  // the low 16 bits of the owner's id
    USHORT creatorBackTraceIndex;
    UCHAR objectType;
    UCHAR attributes;
    USHORT handle;
    PVOID object;
    ULONG grantedAccess;
};
inline constexpr std::size_t handleTableHeader = sizeof(ULONG_PTR);
static_assert(sizeof(SystemHandleEntry) == 8 + 2 * sizeof(PVOID), "system handle entry layout");

// Kernel handles that process `processId` holds; -1 when the table cannot be read.
inline long kernelHandleCount(DWORD processId) {
    using QueryFunction = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    constexpr ULONG systemHandleInformation = 16;
    constexpr LONG lengthMismatch = static_cast<LONG>(0xC0000004);
    auto query = reinterpret_cast<QueryFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (query == nullptr) return -1;
    std::vector<std::uint8_t> table(64 * 1024);
    ULONG returned = 0;
    LONG status;
    while ((status = query(systemHandleInformation, table.data(), static_cast<ULONG>(table.size()), &returned)) ==
               lengthMismatch &&
           table.size() < (64u << 20))
        table.resize(table.size() * 2);
    if (status != 0 || returned < handleTableHeader || returned > table.size()) return -1;
    ULONG entries = 0;
    std::memcpy(&entries, table.data(), sizeof entries);
    if (entries > (returned - handleTableHeader) / sizeof(SystemHandleEntry)) return -1;
    long count = 0;
    for (ULONG index = 0; index < entries; ++index) {
        SystemHandleEntry entry;
        std::memcpy(&entry, table.data() + handleTableHeader + index * sizeof entry, sizeof entry);
        if (entry.processId == static_cast<USHORT>(processId)) ++count;
    }
    return count;
}

}  // namespace kestrine::bench
