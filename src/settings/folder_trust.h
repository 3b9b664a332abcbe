#pragma once
// Whether a copy of the program may write into a settings folder. The folders sit in the
// all-users application-data folder, where every user may create folders: a user who makes
// "VTN" before Kestrine or its installer does owns it, and could turn "KSTM" into a junction
// to a folder of their choice, which a copy with administrator rights would then write into.
namespace kestrine {

// RunningUser: the user this copy runs as.
enum class FolderOwner { Administrators, System, RunningUser, SomeoneElse, Unknown };

struct FolderFacts {
    bool reparsePoint = false;  // a link or junction to somewhere else
    FolderOwner owner = FolderOwner::Unknown;
};

// A copy with administrator rights in force writes only into a folder that is no reparse point
// and that Administrators, SYSTEM or its own user own (where elevated copies own what they make
// by their user, not by Administrators, as under Wine or with that Windows policy); it refuses
// any other, one whose owner cannot be read too. A standard user's copy writes with no more
// rights than its user has: it writes anywhere.
bool mayWriteInto(const FolderFacts& folder, bool elevated);

}  // namespace kestrine
