// Internals of the settings file, shared by its portable part, its platform
// part and the tests: every input that the public routines take from the
// process (charset, paths, environment) is a parameter here.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "settings_file.h"

namespace oruna {

// Size of a read's reply buffer in bytes of the file's charset, the closing
// NUL included: a longer value comes back cut to one byte less. Set by the
// platform part.
extern const size_t kIniReplyBufferBytes;

// INI_Read and INI_Write with the file's charset and the reply size given.
std::string IniReadIn(const std::string& section, const std::string& key, const std::string& file,
                      const std::string& charset, size_t reply_bytes);
WriteOutcome IniWriteIn(const std::string& section, const std::string& key, const std::string& value,
                        const std::string& file, const std::string& charset);
WriteOutcome IniWriteKeysIn(const std::string& section, const IniKeyValues& keys, const std::string& file,
                            const std::string& charset);

// INI_Load from the given file, with the given program folder for BGM_Dir.
void LoadSettingsFrom(const std::string& file, const std::string& program_folder, const std::string& charset);

// The folder part of a path: the text up to and including the last of
// `cut_chars`, then without one trailing `separator`; empty when none of
// `cut_chars` occurs. Windows: cut_chars ":\\", separator '\\'.
std::string FolderOfPath(std::string_view path, std::string_view cut_chars, char separator);

// Where the settings are written and where they are read from.
struct SettingsFiles {
  std::string write;
  std::string read;
};

// The placement rule. The program folder's file is used for both while it
// can be written (a copy unpacked into the user's own folder, as on
// Windows). An installation the user cannot write to would lose every save,
// so the user's own file is written instead, and read as soon as it exists;
// until then the program folder's file (if any) still gives the settings.
SettingsFiles ChooseSettingsFiles(const std::string& program_file, bool program_file_writable,
                                  const std::string& user_file, bool user_file_exists);

// The platform's facts for that rule, for a given program folder.
SettingsFiles FindSettingsFiles(const std::string& program_folder);

// The user's own settings file ("" when the user has no home folder).
std::string UserSettingsFile();

// Whole-file access of the platform part. A failed read says why in
// `reason` when one is given.
enum class FileRead { Ok, Missing, Failed };
FileRead ReadTextFile(const std::string& path, std::string& text, std::string* reason = nullptr);
// The system's words for text that cannot be stored in a file's encoding.
std::string UnstorableTextReason();
// Replaces the file's contents at once (a crash or a failed write leaves the
// old or the new file, never half of one).
WriteOutcome ReplaceTextFile(const std::string& path, const std::string& text);

}  // namespace oruna
