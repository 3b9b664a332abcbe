#include "platform/win32_process_token.h"

#include <windows.h>
#include <sddl.h>

#include <cstdint>
#include <vector>

#include "platform/win32_handle.h"

namespace kestrine {

namespace {

UniqueHandle processToken() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return UniqueHandle();
    return UniqueHandle(token);
}

// The token's TOKEN_USER record; empty when the token cannot be read.
std::vector<std::uint8_t> tokenUser() {
    const UniqueHandle token = processToken();
    DWORD size = 0;
    if (token.valid()) GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<std::uint8_t> user(size);
    if (size == 0 || !GetTokenInformation(token.get(), TokenUser, user.data(), size, &size)) user.clear();
    return user;
}

PSID userSid(const std::vector<std::uint8_t>& user) {
    return reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid;
}

}  // namespace

bool runsElevated() {
    const UniqueHandle token = processToken();
    if (!token.valid()) return true;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    if (GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size))
        return elevation.TokenIsElevated != 0;
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof administrators;
    BOOL member = FALSE;
    if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &sidSize) ||
        !CheckTokenMembership(nullptr, administrators, &member))
        return true;
    return member != FALSE;
}

bool isTokenUser(void* sid) {
    const std::vector<std::uint8_t> user = tokenUser();
    return !user.empty() && EqualSid(userSid(user), sid);
}

std::string tokenUserSid() {
    const std::vector<std::uint8_t> user = tokenUser();
    char* text = nullptr;
    if (user.empty() || !ConvertSidToStringSidA(userSid(user), &text)) return {};
    const UniqueLocalMemory owned(text);
    return text;
}

}  // namespace kestrine
