#include "settings_file.h"

#include <optional>

#include "code_page.h"
#include "ini_encoding.h"
#include "ini_format.h"
#include "settings_file_internal.h"
#include "settings_values.h"

namespace oruna {
namespace {

const std::string kSection = "Section";
const std::string kKindKey = "BGM区分";
const std::string kTrackKey = "BGMﾘﾋﾟｰﾄ";
const std::string kFileKey = "BGMﾌｧｲﾙ";

// Names are compared as text of the file's charset: the name searched for
// goes through that charset (so a name it cannot hold matches the same "?"
// form it was written in), and ASCII letters match without regard to case.
// Comparing the UTF-8 forms keeps double-byte charsets safe, whose second
// bytes may look like ASCII letters.
IniNameMatch NameMatch(const std::string& name, const std::string& charset) {
  if (IsUtf8Charset(charset)) return IniBytesMatch(name);
  std::string wanted = FromCodePage(ToCodePage(name, charset), charset);
  return [wanted = std::move(wanted), charset](std::string_view found) {
    return AsciiEqualNoCase(FromCodePage(found, charset), wanted);
  };
}

}  // namespace

std::string IniReadIn(const std::string& section, const std::string& key, const std::string& file,
                      const std::string& charset, size_t reply_bytes) {
  std::string bytes;
  if (ReadTextFile(file, bytes) != FileRead::Ok) return "";
  const IniFileText decoded = DecodeIniFile(bytes);
  const std::string text_charset = IniTextCharset(decoded.encoding, charset);
  std::optional<std::string> value =
      IniFindValue(decoded.text, NameMatch(section, text_charset), NameMatch(key, text_charset));
  if (!value || reply_bytes == 0) return "";
  // The reply is a NUL-terminated buffer: it ends at a NUL in the value and
  // holds at most reply_bytes - 1 bytes.
  std::string value_bytes = value->substr(0, value->find('\0'));
  if (value_bytes.size() > reply_bytes - 1) value_bytes.resize(reply_bytes - 1);
  return FromCodePage(value_bytes, text_charset);
}

WriteOutcome IniWriteKeysIn(const std::string& section, const IniKeyValues& keys, const std::string& file,
                            const std::string& charset) {
  std::string bytes;
  std::string reason;
  const FileRead read = ReadTextFile(file, bytes, &reason);
  // Never replace a file whose contents are unknown.
  if (read == FileRead::Failed) return {false, reason};
  // The file keeps its encoding: a new file, as the Windows functions make
  // it, is in the code page.
  const IniFileText decoded = DecodeIniFile(bytes);
  const std::string text_charset = IniTextCharset(decoded.encoding, charset);
  const std::string section_bytes = ToCodePage(section, text_charset);
  std::string updated = decoded.text;
  for (const auto& [key, value] : keys) {
    const std::string key_bytes = ToCodePage(key, text_charset);
    const std::string value_bytes = ToCodePage(value, text_charset);
    if (std::optional<std::string> next =
            IniSetValue(updated, NameMatch(section, text_charset), NameMatch(key, text_charset),
                        IniAssignment{section_bytes, key_bytes, value_bytes}))
      updated = std::move(*next);
  }
  if (updated == decoded.text) return {};  // nothing changes (or nothing storable for a missing file)
  // A file that would not come back byte for byte (UTF-16 with a broken
  // character or an odd length), or a value its encoding cannot hold, is
  // left exactly as it is rather than rewritten with other bytes.
  const std::optional<std::string> encoded = EncodeIniFile({decoded.encoding, updated});
  if (EncodeIniFile(decoded) != bytes || !encoded) return {false, UnstorableTextReason()};
  return ReplaceTextFile(file, *encoded);
}

WriteOutcome IniWriteIn(const std::string& section, const std::string& key, const std::string& value,
                        const std::string& file, const std::string& charset) {
  return IniWriteKeysIn(section, {{key, value}}, file, charset);
}

std::string INI_Read(const std::string& section, const std::string& key, const std::string& file) {
  return IniReadIn(section, key, file, SettingsFileCharset(), kIniReplyBufferBytes);
}

WriteOutcome INI_Write(const std::string& section, const std::string& key, const std::string& value,
                       const std::string& file) {
  return IniWriteIn(section, key, value, file, SettingsFileCharset());
}

WriteOutcome INI_WriteKeys(const std::string& section, const IniKeyValues& keys, const std::string& file) {
  return IniWriteKeysIn(section, keys, file, SettingsFileCharset());
}

void LoadSettingsFrom(const std::string& file, const std::string& program_folder, const std::string& charset) {
  auto read = [&](const std::string& key) {
    return IniReadIn(kSection, key, file, charset, kIniReplyBufferBytes);
  };
  ApplyIniNumber(read(kKindKey), BGM_Kind);
  ApplyIniNumber(read(kTrackKey), BGM_Track);
  BGM_Dir = program_folder;
  // Only kind 2 (music file) depends on a usable file; an audio CD does not.
  BGM_File = read(kFileKey);
  if (!BGM_File.empty() && File_Exists(BGM_File)) {
    BGM_Dir = File_Dir(BGM_File);
    return;
  }
  BGM_File.clear();
  if (BGM_Kind == 2) BGM_Kind = 0;
}

void INI_Load() {
  const std::string program_folder = ProgramFolder();
  LoadSettingsFrom(FindSettingsFiles(program_folder).read, program_folder, SettingsFileCharset());
}

std::string SettingsFilePath() { return FindSettingsFiles(ProgramFolder()).write; }

std::string FolderOfPath(std::string_view path, std::string_view cut_chars, char separator) {
  const size_t last = path.find_last_of(cut_chars);
  if (last == std::string_view::npos) return "";
  std::string folder(path.substr(0, last + 1));
  if (folder.back() == separator) folder.pop_back();
  return folder;
}

SettingsFiles ChooseSettingsFiles(const std::string& program_file, bool program_file_writable,
                                  const std::string& user_file, bool user_file_exists) {
  if (program_file_writable || user_file.empty()) return {program_file, program_file};
  return {user_file, user_file_exists ? user_file : program_file};
}

}  // namespace oruna
