#pragma once
// What the running process's token says about who runs it.
#include <string>

namespace kestrine {

// Administrator rights in force: an elevated token, or before elevation existed (Windows XP)
// a member of Administrators. A token that cannot be read counts as elevated, the careful side.
bool runsElevated();

// Whether `sid` is the token's user.
bool isTokenUser(void* sid);

// The token's user as a security identifier string ("S-1-5-21-..."); empty when the token
// cannot be read.
std::string tokenUserSid();

}  // namespace kestrine
