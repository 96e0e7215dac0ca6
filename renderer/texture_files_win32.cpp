// Texture exchange directory on Windows: "C:\p_orvi" where it is the user's
// own, else %LOCALAPPDATA%\Oruna\p_orvi. Made with a protected DACL that
// grants the user, SYSTEM and Administrators alone (a folder made in the root
// of C: would otherwise inherit "Authenticated Users: Modify"), and trusted
// only as a real directory (no junction or other reparse point) owned by the
// user whose DACL lets nobody else write. File names match without regard
// to case. Paths are ANSI, as the renderer opens them with CreateFileA.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include "texture_files.h"
#include "user_owner_win32.h"

namespace oruna {

const char kTextureDirSeparator = '\\';

namespace {

// The folder itself, never what a junction in its place points to.
HANDLE OpenFolder(const std::string& dir, DWORD access) {
  return CreateFileA(dir.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

bool IsRealFolder(HANDLE folder) {
  BY_HANDLE_FILE_INFORMATION info{};
  return GetFileInformationByHandle(folder, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
         (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

// The folder's owner is the user and its DACL private.
bool IsTrusted(HANDLE folder) {
  if (!IsRealFolder(folder)) return false;
  PSID owner = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(folder, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                      nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
    return false;
  const bool trusted = IsUsersOwner(owner) && DaclLetsOnlyTheUserWrite(dacl);
  LocalFree(descriptor);
  return trusted;
}

// Full control for the user, SYSTEM and Administrators, inherited by the
// files; nothing inherited from the folder above. Free with LocalFree.
PSECURITY_DESCRIPTOR PrivateDescriptor() {
  const std::wstring user = UserSidString();
  if (user.empty()) return nullptr;
  const std::wstring sddl = L"D:P(A;OICI;FA;;;" + user + L")(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
    return nullptr;
  return descriptor;
}

// A folder of the user's that is open to others gets the private DACL.
void MakeExistingFolderPrivate(const std::string& dir, PSECURITY_DESCRIPTOR descriptor) {
  HANDLE folder = OpenFolder(dir, READ_CONTROL | WRITE_DAC | FILE_READ_ATTRIBUTES);
  if (folder == INVALID_HANDLE_VALUE) return;
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  if (IsRealFolder(folder) && OwnedByUser(folder) && !IsTrusted(folder) &&
      GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) && present)
    SetSecurityInfo(folder, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                    nullptr, nullptr, dacl, nullptr);
  CloseHandle(folder);
}

std::string LocalAppData() {
  char buffer[MAX_PATH];
  const DWORD n = GetEnvironmentVariableA("LOCALAPPDATA", buffer, MAX_PATH);
  return n == 0 || n >= MAX_PATH ? "" : std::string(buffer, n);
}

}  // namespace

std::vector<std::string> TextureExchangeCandidates() {
  std::vector<std::string> candidates = {"C:\\p_orvi"};
  const std::string local = LocalAppData();
  if (!local.empty()) candidates.push_back(local + "\\Oruna\\p_orvi");
  return candidates;
}

bool IsTrustedTextureDir(const std::string& dir) {
  if (dir.empty()) return false;
  HANDLE folder = OpenFolder(dir, READ_CONTROL | FILE_READ_ATTRIBUTES);
  if (folder == INVALID_HANDLE_VALUE) return false;
  const bool trusted = IsTrusted(folder);
  CloseHandle(folder);
  return trusted;
}

void MakePrivateTextureDir(const std::string& dir) {
  PSECURITY_DESCRIPTOR descriptor = PrivateDescriptor();
  if (descriptor == nullptr) return;
  // The per-user folder's parent lies in the user's own profile.
  const size_t separator = dir.rfind('\\');
  if (separator != std::string::npos && separator > 2) CreateDirectoryA(dir.substr(0, separator).c_str(), nullptr);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  if (!CreateDirectoryA(dir.c_str(), &attributes) && GetLastError() == ERROR_ALREADY_EXISTS)
    MakeExistingFolderPrivate(dir, descriptor);
  LocalFree(descriptor);
}

}  // namespace oruna
