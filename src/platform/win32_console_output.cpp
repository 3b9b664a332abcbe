#include "platform/win32_console_output.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <climits>
#include <cstdio>
#include <vector>

namespace kestrine {

namespace {

// UTF-8 to UTF-16; a byte that is no UTF-8 becomes U+FFFD.
bool writeToConsole(HANDLE console, const std::string& utf8) {
    if (utf8.empty()) return true;
    if (utf8.size() > static_cast<std::size_t>(INT_MAX)) return false;
    const int size = static_cast<int>(utf8.size());
    const int wideLength = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    if (wideLength <= 0) return false;
    std::vector<wchar_t> wide(static_cast<std::size_t>(wideLength));
    if (MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), wideLength) != wideLength) return false;
    for (std::size_t at = 0; at < wide.size();) {
        DWORD written = 0;
        if (!WriteConsoleW(console, wide.data() + at, static_cast<DWORD>(wide.size() - at), &written, nullptr) ||
            written == 0)
            return false;
        at += written;
    }
    return true;
}

}  // namespace

bool writeStandardOutput(const std::string& utf8) {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (output != nullptr && output != INVALID_HANDLE_VALUE && GetConsoleMode(output, &mode))
        return writeToConsole(output, utf8);
    // The bytes exactly as the writers made them: no line-end translation.
    if (_setmode(_fileno(stdout), _O_BINARY) == -1) return false;
    return std::fwrite(utf8.data(), 1, utf8.size(), stdout) == utf8.size() && std::fflush(stdout) == 0;
}

}  // namespace kestrine
