#include "settings/folder_trust.h"

namespace kestrine {

bool mayWriteInto(const FolderFacts& folder, bool elevated) {
    if (!elevated) return true;
    const bool trustedOwner = folder.owner == FolderOwner::Administrators || folder.owner == FolderOwner::System ||
                              folder.owner == FolderOwner::RunningUser;
    return trustedOwner && !folder.reparsePoint;
}

}  // namespace kestrine
