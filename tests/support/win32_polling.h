#pragma once
// Waiting for a condition in another process: poll it, with a generous limit.
#include <windows.h>

namespace kestrine::e2e {

inline constexpr DWORD patientMs = 20000;

template <typename Condition>
bool waitUntil(Condition condition, DWORD limitMs = patientMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start > limitMs) return condition();
        Sleep(25);
    }
}

}  // namespace kestrine::e2e
