#include <windows.h>
#include <shlobj.h>

#include "platform/win32_settings_folder.h"
#include "settings/file_store.h"

namespace kestrine {

std::string settingsBaseFolder() {
    char folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return badPathBase;
    return folder;
}

}  // namespace kestrine
