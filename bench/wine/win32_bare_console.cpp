// kestrine_bare_console.exe: a console program that asks the shell for the all-users
// application-data folder, as the report must to find the settings file, prints it and ends.
// Built like kestrine-report.exe, it is the yardstick for the report's start-up under Wine:
// what the platform costs for that one call belongs to the baseline.
#include <windows.h>
#include <shlobj.h>

#include <cstdio>

int main() {
    char folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) return 1;
    std::puts(folder);
    return 0;
}
