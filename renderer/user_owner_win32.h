// Who owns a file or folder on Windows, and who may write to it, against the
// running user: the
// user's own SID, or the owner the user's new objects get (the user, or
// Administrators for an elevated administrator, whose files are owned so).
#pragma once
#include <windows.h>

#include <string>

namespace oruna {

// True when `owner` is the running user or the owner of the user's new objects.
bool IsUsersOwner(PSID owner);

// The same for the object behind `handle` (opened with READ_CONTROL).
bool OwnedByUser(HANDLE handle);

// True when every ACE of `dacl` that applies to the object itself and
// allows a right to change it (write, add, delete, change the DACL or the
// owner) names the user (or the owner of the user's new objects), SYSTEM
// or Administrators. A missing DACL allows everyone everything: false.
bool DaclLetsOnlyTheUserWrite(PACL dacl);

// The running user's SID as a string ("S-1-5-21-..."); empty when unknown.
std::wstring UserSidString();

}  // namespace oruna
