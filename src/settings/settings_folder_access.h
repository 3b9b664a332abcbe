#pragma once
// The access list of the settings folders ("VTN" and "KSTM") when Kestrine or its installer
// creates them, in the system's security descriptor language (packaging/build-msi.sh reads it
// from here). Protected, so nothing is inherited from the all-users application-data folder,
// where every user may create folders:
//   SYSTEM and Administrators: full control, inherited by everything inside;
//   Users, on the folder itself: list, read its attributes and extended attributes, traverse,
//     read its permissions and create files (0x1200ab), but not create subfolders (so no
//     junction can be planted), delete entries or change permissions and owner;
//   Users, on the files inside: read, write, append, change attributes, and delete, which
//     replacing a file by a rename needs (0x13019f), but not change permissions or owner;
//   the folder's owner (OWNER RIGHTS, S-1-3-4), on the folder itself: what Users have and
//     create subfolders (0x1200af), so that a standard user whose first start makes "VTN" can
//     make "KSTM" in it. The entry takes the place of an owner's implicit right to change
//     permissions: not even the folder's maker can open it up later. Made by the installer or
//     an elevated copy, the owner is Administrators, who have full control anyway.
// A standard user can so still save thresholds.
#include <string>

namespace kestrine {

inline constexpr const char* settingsFolderAccess =
    "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;;0x1200ab;;;BU)(A;OIIO;0x13019f;;;BU)(A;;0x1200af;;;S-1-3-4)";

// The access list of a folder of saved replies (kestrine-report --save-replies), which an
// administrator may make to send with a bug report: SYSTEM, Administrators and the user who
// made it (`creatorSid`, "S-1-5-21-...") in full control of it and of everything inside;
// nobody else, and nothing inherited from the folder it was made in.
inline std::string savedRepliesFolderAccess(const std::string& creatorSid) {
    return "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;" + creatorSid + ')';
}

}  // namespace kestrine
