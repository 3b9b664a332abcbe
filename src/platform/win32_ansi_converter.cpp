#include "platform/win32_ansi_converter.h"

#include <windows.h>

#include <climits>
#include <vector>

namespace kestrine {

bool Win32AnsiConverter::toUtf8(std::string_view ansi, std::string& utf8) const {
    utf8.clear();
    if (ansi.empty()) return true;
    if (ansi.size() > static_cast<std::size_t>(INT_MAX)) return false;
    const int size = static_cast<int>(ansi.size());
    // Bytes that are no character of the code page fail the call rather than becoming '?'.
    const int wideLength = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ansi.data(), size, nullptr, 0);
    if (wideLength <= 0) return false;
    std::vector<wchar_t> wide(static_cast<std::size_t>(wideLength));
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ansi.data(), size, wide.data(), wideLength) != wideLength)
        return false;
    return wideToUtf8(std::wstring_view(wide.data(), wide.size()), utf8);
}

bool wideToUtf8(std::wstring_view wide, std::string& utf8) {
    utf8.clear();
    if (wide.empty()) return true;
    if (wide.size() > static_cast<std::size_t>(INT_MAX)) return false;
    const int wideLength = static_cast<int>(wide.size());
    const int utf8Length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (utf8Length <= 0) return false;
    utf8.resize(static_cast<std::size_t>(utf8Length));
    return WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, utf8.data(), utf8Length, nullptr, nullptr) ==
           utf8Length;
}

}  // namespace kestrine
