// The running user's SIDs from the process token, and owner checks against them.
#include "user_owner_win32.h"

#include <aclapi.h>
#include <sddl.h>

#include <vector>

namespace oruna {
namespace {

// One piece of the process token's information, or nothing.
std::vector<BYTE> TokenInformation(TOKEN_INFORMATION_CLASS kind) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  DWORD size = 0;
  GetTokenInformation(token, kind, nullptr, 0, &size);
  std::vector<BYTE> data(size);
  if (size == 0 || !GetTokenInformation(token, kind, data.data(), size, &size)) data.clear();
  CloseHandle(token);
  return data;
}

// Kept for the process's life: the token's user and owner do not change.
const std::vector<BYTE>& CachedTokenUser() {
  static const std::vector<BYTE> user = TokenInformation(TokenUser);
  return user;
}
const std::vector<BYTE>& CachedTokenOwner() {
  static const std::vector<BYTE> owner = TokenInformation(TokenOwner);
  return owner;
}

PSID UserSid() {
  const auto& data = CachedTokenUser();
  return data.empty() ? nullptr : reinterpret_cast<const TOKEN_USER*>(data.data())->User.Sid;
}

PSID DefaultOwnerSid() {
  const auto& data = CachedTokenOwner();
  return data.empty() ? nullptr : reinterpret_cast<const TOKEN_OWNER*>(data.data())->Owner;
}

}  // namespace

bool IsUsersOwner(PSID owner) {
  if (owner == nullptr || !IsValidSid(owner)) return false;
  const PSID user = UserSid(), default_owner = DefaultOwnerSid();
  return (user != nullptr && EqualSid(owner, user)) || (default_owner != nullptr && EqualSid(owner, default_owner));
}

bool OwnedByUser(HANDLE handle) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                      &descriptor) != ERROR_SUCCESS)
    return false;
  const bool ours = IsUsersOwner(owner);
  LocalFree(descriptor);
  return ours;
}

bool DaclLetsOnlyTheUserWrite(PACL dacl) {
  constexpr ACCESS_MASK kWriteRights = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_WRITE_EA | FILE_DELETE_CHILD |
                                       FILE_WRITE_ATTRIBUTES | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE |
                                       GENERIC_ALL | MAXIMUM_ALLOWED;
  if (dacl == nullptr) return false;
  ACL_SIZE_INFORMATION size{};
  if (!GetAclInformation(dacl, &size, sizeof size, AclSizeInformation)) return false;
  for (DWORD i = 0; i < size.AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(dacl, i, &ace)) return false;
    const auto* header = static_cast<const ACE_HEADER*>(ace);
    if ((header->AceFlags & INHERIT_ONLY_ACE) != 0 || header->AceType == ACCESS_DENIED_ACE_TYPE) continue;
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) return false;  // object or callback ACEs: not ours
    const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
    if ((allowed->Mask & kWriteRights) == 0) continue;
    const PSID sid = const_cast<DWORD*>(&allowed->SidStart);
    if (!IsUsersOwner(sid) && !IsWellKnownSid(sid, WinLocalSystemSid) && !IsWellKnownSid(sid, WinBuiltinAdministratorsSid))
      return false;
  }
  return true;
}

std::wstring UserSidString() {
  const PSID user = UserSid();
  wchar_t* text = nullptr;
  if (user == nullptr || !ConvertSidToStringSidW(user, &text)) return L"";
  std::wstring result(text);
  LocalFree(text);
  return result;
}

}  // namespace oruna
