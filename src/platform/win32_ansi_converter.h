#pragma once
// Text in the system's ANSI code page to UTF-8, through UTF-16.
#include <string>
#include <string_view>

#include "report/text_encoding.h"

namespace kestrine {

// MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS) and WideCharToMultiByte(CP_UTF8).
class Win32AnsiConverter : public AnsiConverter {
public:
    bool toUtf8(std::string_view ansi, std::string& utf8) const override;
};

// UTF-16 to UTF-8 (WideCharToMultiByte; a lone surrogate becomes U+FFFD).
bool wideToUtf8(std::wstring_view wide, std::string& utf8);

}  // namespace kestrine
