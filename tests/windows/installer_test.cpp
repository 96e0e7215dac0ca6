// The Windows installer on a machine that never had Oruna (a prefix of the
// run's own): the silent installs for the current user and for everyone,
// what they put in place (files, registry, the Start-menu entry), the
// installed screen saver started the way Windows starts it, and the silent
// uninstall; and what the delivered programs carry (version information and
// their manifests), read back from the installed files.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "test_support.h"
#include "wide_text_win32.h"
#include "wine_test_util.h"

namespace oruna {
namespace {

using namespace std::chrono_literals;
using test::PathExists;
using test::WaitFor;
using test::WinProcess;

constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Oruna";
constexpr char kDesktopKey[] = "Control Panel\\Desktop";

std::optional<std::string> RegistryText(HKEY root, const char* key, const char* value) {
  wchar_t text[1024];
  DWORD size = sizeof text;
  if (RegGetValueW(root, WideFromUtf8(key).c_str(), WideFromUtf8(value).c_str(), RRF_RT_REG_SZ, nullptr, text,
                   &size) != ERROR_SUCCESS)
    return std::nullopt;
  return Utf8FromWide(text);
}

std::optional<DWORD> RegistryNumber(HKEY root, const char* key, const char* value) {
  DWORD number = 0;
  DWORD size = sizeof number;
  if (RegGetValueW(root, WideFromUtf8(key).c_str(), WideFromUtf8(value).c_str(), RRF_RT_REG_DWORD, nullptr,
                   &number, &size) != ERROR_SUCCESS)
    return std::nullopt;
  return number;
}

bool KeyExists(HKEY root, const char* key) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(root, WideFromUtf8(key).c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  RegCloseKey(opened);
  return true;
}

std::string KnownFolder(REFKNOWNFOLDERID id) {
  wchar_t* path = nullptr;
  std::string folder;
  if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path))) folder = Utf8FromWide(path);
  CoTaskMemFree(path);
  return folder;
}

std::string SystemFolder() {
  wchar_t path[MAX_PATH];
  const UINT n = GetSystemDirectoryW(path, MAX_PATH);
  return Utf8FromWide(std::wstring(path, n));
}

// The long form of a path that names an existing file, "" otherwise.
std::string LongPath(const std::string& path) {
  wchar_t buffer[MAX_PATH];
  const DWORD n = GetLongPathNameW(WideFromUtf8(path).c_str(), buffer, MAX_PATH);
  return n == 0 || n >= MAX_PATH ? std::string() : Utf8FromWide(std::wstring(buffer, n));
}

bool SamePath(const std::string& a, const std::string& b) {
  return CompareStringOrdinal(WideFromUtf8(a).c_str(), -1, WideFromUtf8(b).c_str(), -1, TRUE) == CSTR_EQUAL;
}

// What a shortcut starts: its target and its arguments.
struct Shortcut {
  std::string target, arguments;
};
std::optional<Shortcut> ReadShortcut(const std::string& path) {
  std::optional<Shortcut> read;
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link))))
    return read;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    wchar_t target[MAX_PATH] = {}, arguments[MAX_PATH] = {};
    if (SUCCEEDED(file->Load(WideFromUtf8(path).c_str(), STGM_READ)) &&
        SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, 0)) &&
        SUCCEEDED(link->GetArguments(arguments, MAX_PATH)))
      read = Shortcut{Utf8FromWide(target), Utf8FromWide(arguments)};
    file->Release();
  }
  link->Release();
  return read;
}

// Where a run may have written its pictures: C:\p_orvi where it is the
// user's own, else the user's own folder.
std::vector<std::string> TextureFolders() {
  return {"C:\\p_orvi", KnownFolder(FOLDERID_LocalAppData) + "\\Oruna\\p_orvi"};
}
bool AnyTexturesIn(const std::vector<std::string>& folders) {
  for (const std::string& folder : folders)
    if (PathExists(folder + "\\Oruna1.bmp")) return true;
  return false;
}
bool AnyOf(const std::vector<std::string>& folders) {
  for (const std::string& folder : folders)
    if (PathExists(folder)) return true;
  return false;
}

// A string of the version information, in the language the programs use.
std::string VersionText(const std::string& file, const char* name) {
  const std::wstring path = WideFromUtf8(file);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return "";
  std::string block(size, '\0');
  if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return "";
  void* value = nullptr;
  UINT length = 0;
  const std::wstring query = L"\\StringFileInfo\\040904B0\\" + WideFromUtf8(name);
  if (!VerQueryValueW(block.data(), query.c_str(), &value, &length) || length == 0) return "";
  return Utf8FromWide(static_cast<const wchar_t*>(value));
}

// The application manifest embedded in a program.
std::string Manifest(const std::string& file) {
  const HMODULE module = LoadLibraryExW(WideFromUtf8(file).c_str(), nullptr,
                                        LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (module == nullptr) return "";
  std::string text;
  if (const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {  // RT_MANIFEST
    const HGLOBAL loaded = LoadResource(module, found);
    if (loaded != nullptr) text.assign(static_cast<const char*>(LockResource(loaded)), SizeofResource(module, found));
  }
  FreeLibrary(module);
  return text;
}

class Installer : public ::testing::Test {
 protected:
  void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  void TearDown() override {
    test::TerminateProcessesNamed("Oruna.scr");
    test::TerminateProcessesNamed("Oruna.dll");
    CoUninitialize();
  }

  // Runs the installer silently with `options`; its exit code.
  static std::optional<DWORD> Install(const std::string& options) {
    WinProcess setup("\"" + test::WindowsPathOfUnix(ORUNA_SETUP_EXE) + "\" /S" + options);
    return setup.Wait(120s);
  }

  // What is registered under `root` after an install into `programs`.
  static void ExpectUninstallEntry(HKEY root, const std::string& programs, const std::string& uninstaller) {
    ASSERT_TRUE(KeyExists(root, kUninstallKey));
    EXPECT_EQ(RegistryText(root, kUninstallKey, "DisplayName"), "Oruna");
    EXPECT_EQ(RegistryText(root, kUninstallKey, "DisplayVersion"), ORUNA_VERSION);
    EXPECT_EQ(RegistryText(root, kUninstallKey, "Publisher"), "Oruna Project");
    EXPECT_EQ(RegistryText(root, kUninstallKey, "DisplayIcon"), programs + "\\Oruna.scr,0");
    EXPECT_EQ(RegistryText(root, kUninstallKey, "UninstallString"), "\"" + uninstaller + "\"");
    EXPECT_EQ(RegistryText(root, kUninstallKey, "QuietUninstallString"), "\"" + uninstaller + "\" /S");
    // In kilobytes: the two programs take more than one megabyte.
    EXPECT_GT(RegistryNumber(root, kUninstallKey, "EstimatedSize").value_or(0), 1000u);
    EXPECT_TRUE(PathExists(uninstaller));
  }

  // Oruna is the user's screen saver, started from where it was installed.
  static void ExpectChosenScreenSaver(const std::string& programs) {
    const std::optional<std::string> chosen = RegistryText(HKEY_CURRENT_USER, kDesktopKey, "SCRNSAVE.EXE");
    ASSERT_TRUE(chosen.has_value());
    EXPECT_TRUE(SamePath(LongPath(*chosen), programs + "\\Oruna.scr")) << *chosen;
    EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, kDesktopKey, "ScreenSaveActive"), "1");
  }

  static void ExpectStartEntry(const std::string& folder, const std::string& programs) {
    const std::optional<Shortcut> entry = ReadShortcut(folder + "\\Oruna settings.lnk");
    ASSERT_TRUE(entry.has_value()) << folder;
    EXPECT_TRUE(SamePath(entry->target, programs + "\\Oruna.scr")) << entry->target;
    EXPECT_EQ(entry->arguments, "/c");
  }

  // The chosen screen saver runs as Windows runs it, and ends on Escape.
  static void RunTheChosenScreenSaver() {
    const std::string chosen = RegistryText(HKEY_CURRENT_USER, kDesktopKey, "SCRNSAVE.EXE").value_or("");
    WinProcess saver(chosen + " /s");
    ASSERT_TRUE(saver.started()) << chosen;
    const HWND renderer = test::WaitForWindow("Oruna_VC", 30s);
    ASSERT_NE(renderer, nullptr) << "the installed saver shows no picture";
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == renderer; }, 10s));
    ASSERT_TRUE(test::PressKey("Escape"));
    EXPECT_EQ(saver.Wait(15s), DWORD{0});
  }

  // Runs the registered silent uninstall and waits for it to have removed
  // the entry and ended (it runs on from a copy of itself, Un.exe).
  static void Uninstall(HKEY root) {
    const std::string quiet = RegistryText(root, kUninstallKey, "QuietUninstallString").value_or("");
    ASSERT_FALSE(quiet.empty());
    WinProcess uninstall(quiet);
    ASSERT_TRUE(uninstall.started());
    EXPECT_EQ(uninstall.Wait(60s), DWORD{0});
    EXPECT_TRUE(WaitFor([&] { return !KeyExists(root, kUninstallKey); }, 60s));
    EXPECT_TRUE(WaitFor([] { return test::ProcessesNamed("Un.exe").empty(); }, 60s));
  }
};

TEST_F(Installer, ForTheCurrentUserWithoutAdministratorRightsAndUninstalledAgain) {
  const std::string programs = KnownFolder(FOLDERID_LocalAppData) + "\\Programs\\Oruna";
  ASSERT_FALSE(PathExists(programs)) << "the prefix is not fresh";
  ASSERT_EQ(Install(""), DWORD{0});

  EXPECT_TRUE(PathExists(programs + "\\Oruna.scr"));
  EXPECT_TRUE(PathExists(programs + "\\Oruna.dll"));
  ExpectUninstallEntry(HKEY_CURRENT_USER, programs, programs + "\\Uninstall.exe");
  ExpectChosenScreenSaver(programs);
  ExpectStartEntry(KnownFolder(FOLDERID_Programs), programs);
  // Nothing for everyone.
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  EXPECT_FALSE(PathExists(SystemFolder() + "\\Oruna.scr"));

  // What the delivered programs carry.
  for (const char* name : {"Oruna.scr", "Oruna.dll"}) {
    const std::string file = programs + "\\" + name;
    EXPECT_EQ(VersionText(file, "ProductName"), "Oruna") << name;
    EXPECT_EQ(VersionText(file, "ProductVersion"), ORUNA_VERSION) << name;
    EXPECT_EQ(VersionText(file, "FileVersion"), ORUNA_VERSION) << name;
    EXPECT_EQ(VersionText(file, "OriginalFilename"), name);
    EXPECT_NE(VersionText(file, "FileDescription").find("Oruna screen saver"), std::string::npos) << name;
    EXPECT_NE(VersionText(file, "LegalCopyright").find("Oruna Project"), std::string::npos) << name;
    EXPECT_NE(Manifest(file).find("level=\"asInvoker\""), std::string::npos) << name;
  }
  // The renderer draws in physical pixels on every monitor; the saver's
  // dialog scales itself to the system's dots per inch.
  EXPECT_NE(Manifest(programs + "\\Oruna.dll").find(">PerMonitorV2"), std::string::npos);
  EXPECT_NE(Manifest(programs + "\\Oruna.scr").find("<dpiAware"), std::string::npos);

  RunTheChosenScreenSaver();
  EXPECT_TRUE(AnyTexturesIn(TextureFolders()));
  // The user's settings, saved beside the programs (their folder is the user's).
  ASSERT_TRUE(test::WriteBytes(programs + "\\Oruna.ini", "[Section]\r\n"));

  Uninstall(HKEY_CURRENT_USER);
  EXPECT_FALSE(PathExists(programs + "\\Oruna.scr"));
  EXPECT_FALSE(PathExists(programs + "\\Oruna.dll"));
  EXPECT_FALSE(PathExists(programs + "\\Uninstall.exe"));
  EXPECT_FALSE(PathExists(KnownFolder(FOLDERID_Programs) + "\\Oruna settings.lnk"));
  EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, kDesktopKey, "SCRNSAVE.EXE"), std::nullopt);
  EXPECT_FALSE(AnyOf(TextureFolders()));
  // A silent uninstall keeps the settings.
  EXPECT_TRUE(PathExists(programs + "\\Oruna.ini"));
}

TEST_F(Installer, ForEveryoneIntoTheSystemFolderAndUninstalledAgain) {
  const std::string programs = SystemFolder();
  const std::string own = KnownFolder(FOLDERID_ProgramFiles) + "\\Oruna";
  ASSERT_FALSE(PathExists(programs + "\\Oruna.scr")) << "the prefix is not fresh";
  // (Wine makes every user an administrator.)
  ASSERT_EQ(Install(" /ALLUSERS"), DWORD{0});

  EXPECT_TRUE(PathExists(programs + "\\Oruna.scr"));
  EXPECT_TRUE(PathExists(programs + "\\Oruna.dll"));
  ExpectUninstallEntry(HKEY_LOCAL_MACHINE, programs, own + "\\Uninstall.exe");
  ExpectChosenScreenSaver(programs);
  ExpectStartEntry(KnownFolder(FOLDERID_CommonPrograms), programs);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUninstallKey));
  EXPECT_FALSE(PathExists(KnownFolder(FOLDERID_LocalAppData) + "\\Programs\\Oruna"));

  RunTheChosenScreenSaver();

  Uninstall(HKEY_LOCAL_MACHINE);
  EXPECT_FALSE(PathExists(programs + "\\Oruna.scr"));
  EXPECT_FALSE(PathExists(programs + "\\Oruna.dll"));
  EXPECT_FALSE(PathExists(own));
  EXPECT_FALSE(PathExists(KnownFolder(FOLDERID_CommonPrograms) + "\\Oruna settings.lnk"));
  EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, kDesktopKey, "SCRNSAVE.EXE"), std::nullopt);
  EXPECT_FALSE(AnyOf(TextureFolders()));
}

}  // namespace
}  // namespace oruna
