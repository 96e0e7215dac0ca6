// The settings file on disk: charsets, the reply size, the number rules,
// INI_Load's rules, the path helpers and where the file lives.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "code_page.h"
#include "ini_encoding.h"
#include "ini_number.h"
#include "settings_file.h"
#include "settings_file_internal.h"
#include "settings_values.h"
#include "test_support.h"

namespace oruna {
namespace {

using namespace std::string_literals;
using test::ReadText;
using test::TempDir;

const std::string kKind = "BGM区分";
const std::string kTrack = "BGMﾘﾋﾟｰﾄ";
const std::string kFile = "BGMﾌｧｲﾙ";

void WriteText(const std::string& path, const std::string& text) {
  ASSERT_TRUE(test::WriteFileBytes(path, std::vector<uint8_t>(text.begin(), text.end())));
}

std::string Hex(const std::string& bytes) {
  std::string out;
  char buffer[4];
  for (unsigned char c : bytes) {
    std::snprintf(buffer, sizeof buffer, "%02X ", c);
    out += buffer;
  }
  if (!out.empty()) out.pop_back();
  return out;
}

// Sets or removes an environment variable for one test.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) setenv(name, value, 1);
    else unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_) setenv(name_, old_->c_str(), 1);
    else unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// ---- Charsets ------------------------------------------------------------------

TEST(SettingsCharset, KeysAreStoredAsTheirExactCp932Bytes) {
  TempDir dir;
  const std::string ini = dir.path() + "/Oruna.ini";
  IniWriteIn("Section", kKind, FormatIniNumber(2), ini, "CP932");
  IniWriteIn("Section", kTrack, FormatIniNumber(-1), ini, "CP932");
  IniWriteIn("Section", kFile, "C:\\音楽\\曲.mp3", ini, "CP932");
  const std::string text = ReadText(ini);
  EXPECT_NE(text.find("\x42\x47\x4D\x8B\xE6\x95\xAA= 2\r\n"), std::string::npos) << Hex(text);
  EXPECT_NE(text.find("\x42\x47\x4D\xD8\xCB\xDF\xB0\xC4=-1\r\n"), std::string::npos) << Hex(text);
  EXPECT_NE(text.find("\x42\x47\x4D\xCC\xA7\xB2\xD9=C:\\\x89\xB9\x8A\x79\\\x8B\xC8.mp3\r\n"), std::string::npos)
      << Hex(text);
  EXPECT_EQ(text.rfind("[Section]\r\n", 0), 0u);

  EXPECT_EQ(IniReadIn("Section", kKind, ini, "CP932", 256), "2");
  EXPECT_EQ(IniReadIn("section", kTrack, ini, "CP932", 256), "-1");
  EXPECT_EQ(IniReadIn("Section", kFile, ini, "CP932", 256), "C:\\音楽\\曲.mp3");
}

TEST(SettingsCharset, Utf8FilesHoldTheTextAsItIs) {
  TempDir dir;
  const std::string ini = dir.path() + "/Oruna.ini";
  IniWriteIn("Section", kKind, " 1", ini, "UTF-8");
  EXPECT_EQ(ReadText(ini), "[Section]\r\nBGM区分= 1\r\n");
  // Bytes that are no UTF-8 (an old Latin-1 file name) come back unchanged.
  WriteText(ini, "[Section]\nBGMﾌｧｲﾙ=/m/caf\xE9.mp3\n");
  EXPECT_EQ(IniReadIn("Section", kFile, ini, "UTF-8", 256), "/m/caf\xE9.mp3");
}

TEST(SettingsCharset, DoubleByteNamesAreComparedAsCharacters) {
  TempDir dir;
  const std::string ini = dir.path() + "/Oruna.ini";
  // "ア" is 83 41 and "ヂ" is 83 61 in CP932: their second bytes differ only
  // as ASCII "A" and "a" do, yet they are different names.
  WriteText(ini, "[Section]\r\nBGM\x83\x41=1\r\n");
  EXPECT_EQ(IniReadIn("Section", "BGMア", ini, "CP932", 256), "1");
  EXPECT_EQ(IniReadIn("Section", "BGMヂ", ini, "CP932", 256), "");
  EXPECT_EQ(IniReadIn("Section", "bgmア", ini, "CP932", 256), "1");
}

TEST(SettingsCharset, NamesTheCharsetCannotHoldStillMatchTheirOwnForm) {
  TempDir dir;
  const std::string ini = dir.path() + "/Oruna.ini";
  // As on a Windows system with a Western code page: the key is stored as
  // "BGM??" and found again under that form.
  IniWriteIn("Section", kKind, " 2", ini, "ISO-8859-1");
  IniWriteIn("Section", kFile, "/m/é.mp3", ini, "ISO-8859-1");
  EXPECT_EQ(ReadText(ini), "[Section]\r\nBGM?" "?= 2\r\nBGM???" "?=/m/\xE9.mp3\r\n");
  EXPECT_EQ(IniReadIn("Section", kKind, ini, "ISO-8859-1", 256), "2");
  EXPECT_EQ(IniReadIn("Section", kFile, ini, "ISO-8859-1", 256), "/m/é.mp3");
}

TEST(SettingsCharset, ConversionOfBrokenText) {
  EXPECT_EQ(FromCodePage("a\x83", "CP932"), "a");                  // cut inside a character
  EXPECT_EQ(FromCodePage("a\xFF" "b", "CP932"), "a\xEF\xBF\xBD" "b");  // not CP932 at all
  EXPECT_EQ(ToCodePage("a\xC3", "CP932"), "a");                    // cut UTF-8
  EXPECT_EQ(ToCodePage("a\x80" "b", "CP932"), "a?b");              // stray UTF-8 byte
  EXPECT_EQ(ToCodePage("x😀y", "CP932"), "x?y");                  // no such character
  EXPECT_TRUE(IsUtf8Charset("utf8"));
  EXPECT_FALSE(IsUtf8Charset("UTF-16"));
  EXPECT_FALSE(SettingsFileCharset().empty());
}

// ---- Reading values ------------------------------------------------------------

TEST(SettingsRead, LongValuesAreCutToTheReplyBuffer) {
  TempDir dir;
  const std::string ini = dir.path() + "/Oruna.ini";
  const std::string long_path = "/" + std::string(5000, 'a');
  WriteText(ini, "[Section]\nBGMﾌｧｲﾙ=" + long_path + "\n");
  EXPECT_EQ(IniReadIn("Section", kFile, ini, "UTF-8", 256), long_path.substr(0, 255));
  // The buffer here is sized for real paths: PATH_MAX bytes, NUL included.
  EXPECT_EQ(kIniReplyBufferBytes, 4096u);
  EXPECT_EQ(INI_Read("Section", kFile, ini), long_path.substr(0, 4095));
  // A cut through a double-byte character drops that character.
  WriteText(ini, "[Section]\nBGM\xCC\xA7\xB2\xD9=a\x95\x5C\n");
  EXPECT_EQ(IniReadIn("Section", kFile, ini, "CP932", 4), "a表");
  EXPECT_EQ(IniReadIn("Section", kFile, ini, "CP932", 3), "a");
  // The reply ends at a NUL inside the value.
  WriteText(ini, "[Section]\nBGMﾌｧｲﾙ=ab\0cd\n"s);
  EXPECT_EQ(IniReadIn("Section", kFile, ini, "UTF-8", 256), "ab");
}

TEST(SettingsRead, MissingOrUnusableFilesGiveEmptyText) {
  TempDir dir;
  EXPECT_EQ(INI_Read("Section", kKind, dir.path() + "/none.ini"), "");
  EXPECT_EQ(INI_Read("Section", kKind, dir.path()), "");  // a folder
  const std::string fifo = dir.path() + "/fifo.ini";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(INI_Read("Section", kKind, fifo), "");  // returns at once instead of waiting for a writer
}

// ---- Writing values ------------------------------------------------------------

TEST(SettingsWrite, KeepsTheRestOfTheFileAndItsLineEnding) {
  TempDir dir;
  const std::string ini = dir.path() + "/Oruna.ini";
  const std::string before = "; mine\n[Other]\nBGM区分=7\n\n[section]\nbgm区分 = 1\nextra=x\n";
  WriteText(ini, before);
  INI_Write("Section", kKind, " 2", ini);
  INI_Write("Section", kTrack, " 3", ini);
  EXPECT_EQ(ReadText(ini), "; mine\n[Other]\nBGM区分=7\n\n[section]\nbgm区分 = 2\nextra=x\nBGMﾘﾋﾟｰﾄ= 3\n");
}

TEST(SettingsWrite, CreatesFileAndFoldersAndKeepsFileMode) {
  TempDir dir;
  const std::string ini = dir.path() + "/a/b/Oruna.ini";
  INI_Write("Section", kKind, " 1", ini);
  EXPECT_EQ(ReadText(ini), "[Section]\r\nBGM区分= 1\r\n");

  ASSERT_EQ(chmod(ini.c_str(), 0640), 0);
  INI_Write("Section", kKind, " 2", ini);
  struct stat info;
  ASSERT_EQ(stat(ini.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  // The temporary file of the replacement is gone.
  EXPECT_FALSE(test::FileExists(ini + ".tmp-" + std::to_string(getpid())));
}

TEST(SettingsWrite, ALinkedFileIsWrittenThroughTheLink) {
  TempDir dir;
  const std::string real = dir.path() + "/real.ini", link = dir.path() + "/Oruna.ini";
  WriteText(real, "[Section]\n");
  ASSERT_EQ(symlink(real.c_str(), link.c_str()), 0);
  INI_Write("Section", kKind, " 2", link);
  struct stat info;
  ASSERT_EQ(lstat(link.c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_EQ(ReadText(real), "[Section]\nBGM区分= 2\n");
}

TEST(SettingsWrite, NeverReplacesWhatItCannotRead) {
  TempDir dir;
  const std::string folder_named_ini = dir.path() + "/Oruna.ini";
  ASSERT_EQ(mkdir(folder_named_ini.c_str(), 0700), 0);
  INI_Write("Section", kKind, " 2", folder_named_ini);
  struct stat info;
  ASSERT_EQ(stat(folder_named_ini.c_str(), &info), 0);
  EXPECT_TRUE(S_ISDIR(info.st_mode));

  // A file name with a line break cannot be stored; the old value stays.
  const std::string ini = dir.path() + "/x.ini";
  INI_Write("Section", kFile, "/old.mp3", ini);
  INI_Write("Section", kFile, "/new\n[Section]\nBGM区分= 2", ini);
  EXPECT_EQ(ReadText(ini), "[Section]\r\nBGMﾌｧｲﾙ=/old.mp3\r\n");
}

// ---- Encodings an editor may save the file in ------------------------------------

// The file as a Windows editor saves it in each encoding: the same text, a
// comment, another section and the three keys as the dialog writes them.
std::string EditorFile(IniEncoding encoding, const std::string& eol, const std::string& file_value) {
  const std::string text = "; 設定" + eol + "[Other]" + eol + "x=1" + eol + "[Section]" + eol + kKind + "= 2" + eol +
                           kTrack + "= 0" + eol + kFile + "=" + file_value + eol;
  const std::string mark = encoding == IniEncoding::Utf8Mark ? "\xEF\xBB\xBF" : "";
  return *EncodeIniFile({encoding, mark + text});
}

class SettingsEncodings : public ::testing::TestWithParam<IniEncoding> {};

TEST_P(SettingsEncodings, AreReadAndSavedBackInTheirOwnEncoding) {
  TempDir dir;
  const std::string ini = dir.path() + "/Oruna.ini", song = dir.path() + "/曲.mp3";
  WriteText(song, "ID3");
  for (const std::string eol : {"\r\n", "\n", "\r"}) {
    SCOPED_TRACE(Hex(eol));
    WriteText(ini, EditorFile(GetParam(), eol, song));
    // Read as UTF-8 whatever the locale's charset: CP932 here.
    BGM_Kind = BGM_Track = 0;
    LoadSettingsFrom(ini, "/program", "CP932");
    EXPECT_EQ(BGM_Kind, 2);
    EXPECT_EQ(BGM_File, song);
    EXPECT_EQ(BGM_Dir, dir.path());

    ASSERT_TRUE(IniWriteKeysIn("Section", {{kKind, " 1"}, {kTrack, " 3"}, {kFile, "/新.mp3"}}, ini, "CP932").ok);
    std::string expected = EditorFile(GetParam(), eol, "/新.mp3");
    const IniFileText decoded = DecodeIniFile(expected);
    expected = *EncodeIniFile(
        {decoded.encoding, std::string(decoded.text).replace(decoded.text.find("= 2"), 3, "= 1")
                               .replace(decoded.text.find("= 0"), 3, "= 3")});
    EXPECT_EQ(Hex(ReadText(ini)), Hex(expected));
  }
}

INSTANTIATE_TEST_SUITE_P(Marks, SettingsEncodings,
                         ::testing::Values(IniEncoding::Utf16Le, IniEncoding::Utf16Be, IniEncoding::Utf8Mark));

TEST(SettingsEncodings, WhatCannotBeWrittenBackLeavesTheFileByteIdentical) {
  TempDir dir;
  const std::string ini = dir.path() + "/Oruna.ini";
  struct Case {
    std::string file, value;
  };
  const std::string good = EditorFile(IniEncoding::Utf16Le, "\r\n", "/a.mp3");
  for (const Case& c : {Case{good + "x", "/b.mp3"},                       // odd length
                        Case{good + std::string("\x00\xD8", 2), "/b.mp3"},  // lone surrogate
                        Case{good, "/caf\xE9.mp3"}}) {                   // a name that is no UTF-8
    WriteText(ini, c.file);
    const WriteOutcome saved = IniWriteKeysIn("Section", {{kFile, c.value}}, ini, "UTF-8");
    EXPECT_FALSE(saved.ok);
    EXPECT_FALSE(saved.reason.empty());
    EXPECT_EQ(ReadText(ini), c.file);
  }
}

// ---- Numbers -------------------------------------------------------------------

TEST(SettingsNumbers, WrittenForms) {
  EXPECT_EQ(FormatIniNumber(2), " 2");
  EXPECT_EQ(FormatIniNumber(0), " 0");
  EXPECT_EQ(FormatIniNumber(-1), "-1");
  EXPECT_EQ(FormatIniNumber(32767), " 32767");
}

TEST(SettingsNumbers, ReadingRoundsDownAndKeepsTheOldValueOnGarbage) {
  struct Case {
    const char* text;
    int16_t before;
    int16_t after;
  };
  const Case cases[] = {
      {" 2", 0, 2},         {"2.7", 0, 2},       {"-0.5", 0, -1},     {"-1", 0, -1},
      {"+3", 0, 3},         {"1e2", 0, 100},     {".5", 9, 0},        {"5.", 0, 5},
      {"32767.9", 0, 32767}, {"-32768", 0, -32768}, {"", 5, 0},        {"  ", 5, 0},
      {"abc", 0, 0},        {"abc", 1, 1},       {"70000", 0, 0},     {"70000", 2, 2},
      {"32768", 1, 1},      {"-32769", 1, 1},    {"2x", 1, 1},        {"0x10", 1, 1},
      {"inf", 1, 1},        {"nan", 1, 1},       {"1e", 1, 1},        {"- 1", 1, 1},
      {"1e99999", 1, 1},
  };
  for (const Case& c : cases) {
    int16_t value = c.before;
    ApplyIniNumber(c.text, value);
    EXPECT_EQ(value, c.after) << "\"" << c.text << "\" from " << c.before;
  }
}

// ---- INI_Load ------------------------------------------------------------------

class SettingsLoad : public ::testing::Test {
 protected:
  void SetUp() override {
    BGM_Kind = 0;
    BGM_Track = 0;
    BGM_File.clear();
    BGM_Dir.clear();
    ini_ = dir_.path() + "/Oruna.ini";
    program_ = dir_.path() + "/program";
    music_ = dir_.path() + "/music";
    ASSERT_EQ(mkdir(music_.c_str(), 0700), 0);
  }
  void Load(const std::string& text) {
    WriteText(ini_, text);
    LoadSettingsFrom(ini_, program_, "UTF-8");
  }
  std::string MakeMusicFile() {
    const std::string path = music_ + "/song.mp3";
    WriteText(path, "ID3");
    return path;
  }

  TempDir dir_;
  std::string ini_, program_, music_;
};

TEST_F(SettingsLoad, MusicFileSettingsAsTheDialogWritesThem) {
  const std::string song = MakeMusicFile();
  Load("[Section]\r\nBGM区分= 2\r\nBGMﾘﾋﾟｰﾄ= 3\r\nBGMﾌｧｲﾙ=" + song + "\r\n");
  EXPECT_EQ(BGM_Kind, 2);
  EXPECT_EQ(BGM_Track, 3);
  EXPECT_EQ(BGM_File, song);
  EXPECT_EQ(BGM_Dir, music_);
}

TEST_F(SettingsLoad, MusicFileKindNeedsAFileThatCanBeOpened) {
  Load("[Section]\nBGM区分= 2\nBGMﾌｧｲﾙ=" + music_ + "/gone.mp3\n");
  EXPECT_EQ(BGM_Kind, 0);
  EXPECT_EQ(BGM_File, "");
  EXPECT_EQ(BGM_Dir, program_);

  Load("[Section]\nBGM区分= 2\nBGMﾌｧｲﾙ=" + music_ + "/\n");  // a folder, trailing separator
  EXPECT_EQ(BGM_Kind, 0);
  EXPECT_EQ(BGM_File, "");

  BGM_Kind = 0;
  Load("[Section]\nBGM区分= 2\n");
  EXPECT_EQ(BGM_Kind, 0);
}

TEST_F(SettingsLoad, AudioCdKindDoesNotDependOnTheFile) {
  Load("[Section]\nBGM区分= 1\n");
  EXPECT_EQ(BGM_Kind, 1);
  Load("[Section]\nBGM区分= 1\nBGMﾌｧｲﾙ=/no/such.mp3\n");
  EXPECT_EQ(BGM_Kind, 1);
  EXPECT_EQ(BGM_File, "");
  EXPECT_EQ(BGM_Dir, program_);
}

TEST_F(SettingsLoad, GarbageAndMisplacedKeysGiveTheDefaults) {
  Load("[Other]\nBGM区分= 2\nBGMﾘﾋﾟｰﾄ= 3\n");
  EXPECT_EQ(BGM_Kind, 0);
  EXPECT_EQ(BGM_Track, 0);
  EXPECT_EQ(BGM_Dir, program_);

  Load("[Section]\nBGM区分=abc\nBGMﾘﾋﾟｰﾄ=70000\n");
  EXPECT_EQ(BGM_Kind, 0);
  EXPECT_EQ(BGM_Track, 0);

  LoadSettingsFrom(dir_.path() + "/missing.ini", program_, "UTF-8");
  EXPECT_EQ(BGM_Kind, 0);
  EXPECT_EQ(BGM_File, "");
  EXPECT_EQ(BGM_Dir, program_);
}

TEST_F(SettingsLoad, MusicFileThatIsAFifoDoesNotStallTheStart) {
  const std::string fifo = music_ + "/pipe.mp3";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  Load("[Section]\nBGM区分= 2\nBGMﾌｧｲﾙ=" + fifo + "\n");
  EXPECT_EQ(BGM_Kind, 0);
}

// ---- Paths -----------------------------------------------------------------------

TEST(SettingsPaths, WindowsFolderRule) {
  auto windows = [](const char* path) { return FolderOfPath(path, ":\\", '\\'); };
  EXPECT_EQ(windows("C:\\Music\\a.mp3"), "C:\\Music");
  EXPECT_EQ(windows("C:\\a.mp3"), "C:");
  EXPECT_EQ(windows("D:a.mp3"), "D:");
  EXPECT_EQ(windows("a.mp3"), "");
  EXPECT_EQ(windows("\\\\server\\share\\a.mp3"), "\\\\server\\share");
}

TEST(SettingsPaths, FileDirHere) {
  EXPECT_EQ(File_Dir("/home/u/Music/a.mp3"), "/home/u/Music");
  EXPECT_EQ(File_Dir("/a.mp3"), "/");
  EXPECT_EQ(File_Dir("a.mp3"), "");
  EXPECT_EQ(File_Dir("/music/"), "/music");
  // "\" and ":" are ordinary characters of file names here.
  EXPECT_EQ(File_Dir("C:\\Music\\a.mp3"), "");
  EXPECT_EQ(File_Dir("/m/a:b\\c.mp3"), "/m");
}

TEST(SettingsPaths, FileExists) {
  TempDir dir;
  const std::string file = dir.path() + "/a.mp3";
  WriteText(file, "x");
  EXPECT_TRUE(File_Exists(file));
  EXPECT_TRUE(File_Exists(file + "/"));  // one trailing separator is dropped
  EXPECT_FALSE(File_Exists(file + "//"));
  EXPECT_FALSE(File_Exists(dir.path()));
  EXPECT_FALSE(File_Exists(dir.path() + "/"));
  EXPECT_FALSE(File_Exists(dir.path() + "/none"));
  EXPECT_FALSE(File_Exists(""));
  EXPECT_FALSE(File_Exists("/"));
}

TEST(SettingsPaths, ProgramFolderIsTheFolderOfTheRunningProgram) {
  const std::string folder = ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.front(), '/');
  char self[4096];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  ASSERT_GT(n, 0);
  EXPECT_EQ(std::string(self, n).rfind(folder + "/", 0), 0u);
}

// ---- Where the settings live -----------------------------------------------------

TEST(SettingsPlace, Rule) {
  EXPECT_EQ(ChooseSettingsFiles("/p/Oruna.ini", true, "/u/Oruna.ini", true).write, "/p/Oruna.ini");
  EXPECT_EQ(ChooseSettingsFiles("/p/Oruna.ini", true, "/u/Oruna.ini", true).read, "/p/Oruna.ini");
  EXPECT_EQ(ChooseSettingsFiles("/p/Oruna.ini", false, "/u/Oruna.ini", false).write, "/u/Oruna.ini");
  EXPECT_EQ(ChooseSettingsFiles("/p/Oruna.ini", false, "/u/Oruna.ini", false).read, "/p/Oruna.ini");
  EXPECT_EQ(ChooseSettingsFiles("/p/Oruna.ini", false, "/u/Oruna.ini", true).read, "/u/Oruna.ini");
  EXPECT_EQ(ChooseSettingsFiles("/p/Oruna.ini", false, "", false).write, "/p/Oruna.ini");
}

TEST(SettingsPlace, UserFileFollowsTheXdgRules) {
  {
    ScopedEnv config("XDG_CONFIG_HOME", "/cfg");
    EXPECT_EQ(UserSettingsFile(), "/cfg/oruna/Oruna.ini");
  }
  ScopedEnv home("HOME", "/home/someone");
  {
    ScopedEnv config("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(UserSettingsFile(), "/home/someone/.config/oruna/Oruna.ini");
  }
  ScopedEnv config("XDG_CONFIG_HOME", "relative/ignored");
  EXPECT_EQ(UserSettingsFile(), "/home/someone/.config/oruna/Oruna.ini");
}

TEST(SettingsPlace, WritableProgramFolderKeepsTheFileBesideTheProgram) {
  TempDir program, config;
  ScopedEnv env("XDG_CONFIG_HOME", config.path().c_str());
  const SettingsFiles files = FindSettingsFiles(program.path());
  EXPECT_EQ(files.write, program.path() + "/Oruna.ini");
  EXPECT_EQ(files.read, program.path() + "/Oruna.ini");
}

TEST(SettingsPlace, UnwritableInstallationSavesToTheUsersFolder) {
  TempDir config;
  ScopedEnv env("XDG_CONFIG_HOME", config.path().c_str());
  // A program folder that cannot be written (it does not even exist; a
  // read-only folder would do, but the tests may run as root).
  const std::string program = config.path() + "/no-such/lib/oruna";
  const std::string user = config.path() + "/oruna/Oruna.ini";
  SettingsFiles files = FindSettingsFiles(program);
  EXPECT_EQ(files.write, user);
  EXPECT_EQ(files.read, program + "/Oruna.ini");  // until the user has saved once

  IniWriteIn("Section", kKind, " 1", files.write, "UTF-8");
  files = FindSettingsFiles(program);
  EXPECT_EQ(files.read, user);
  struct stat info;
  ASSERT_EQ(stat((config.path() + "/oruna").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);  // a new configuration folder is private
}

TEST(SettingsPlace, AWritableFileInAFolderTheUserCannotWriteIsNotTheSaveTarget) {
  TempDir dir;
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  const std::string program = dir.path() + "/lib/oruna", config = dir.path() + "/config";
  ASSERT_EQ(mkdir((dir.path() + "/lib").c_str(), 0755), 0);
  ASSERT_EQ(mkdir(program.c_str(), 0755), 0);
  ASSERT_EQ(mkdir(config.c_str(), 0700), 0);
  WriteText(program + "/Oruna.ini", "[Section]\r\nBGM区分= 1\r\n");
  ASSERT_EQ(chmod((program + "/Oruna.ini").c_str(), 0666), 0);  // an administrator's default
  // As root the folder would be writable anyway: the user is then "nobody",
  // for whom only the file is; otherwise the folder is made read-only.
  const std::optional<test::OtherUser> user = test::OrdinaryUserForRoot();
  if (user) ASSERT_EQ(chown(config.c_str(), user->uid, user->gid), 0);
  else ASSERT_EQ(chmod(program.c_str(), 0555), 0);
  ScopedEnv env("XDG_CONFIG_HOME", config.c_str());
  const auto save = [&] {
    const SettingsFiles files = FindSettingsFiles(program);
    return files.write == config + "/oruna/Oruna.ini" && files.read == program + "/Oruna.ini" &&
           IniWriteIn("Section", kKind, " 2", files.write, "UTF-8").ok &&
           FindSettingsFiles(program).read == files.write;
  };
  EXPECT_TRUE(user ? test::RunInChildAs(*user, save) : save());
  EXPECT_EQ(ReadText(config + "/oruna/Oruna.ini"), "[Section]\r\nBGM区分= 2\r\n");
  EXPECT_EQ(ReadText(program + "/Oruna.ini"), "[Section]\r\nBGM区分= 1\r\n");
  chmod(program.c_str(), 0755);
}

}  // namespace
}  // namespace oruna
