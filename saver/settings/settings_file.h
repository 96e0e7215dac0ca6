// The settings file "Oruna.ini": a Windows INI file with one section
// "Section" and the keys "BGM区分", "BGMﾘﾋﾟｰﾄ", "BGMﾌｧｲﾙ". Text is UTF-8 in
// memory; the file holds it in its own charset (the locale's, or CP932).
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "ini_number.h"  // FormatIniNumber: the form in which numbers are saved

namespace oruna {

// Reads one value ("" when the file, section or key is missing).
std::string INI_Read(const std::string& section, const std::string& key, const std::string& file);

// Whether a write reached the file and, when it did not, the system's own
// words for why (such as the text for a full disk).
struct WriteOutcome {
  bool ok = true;
  std::string reason;
};

// Writes one value, keeping every other line; creates file and section.
WriteOutcome INI_Write(const std::string& section, const std::string& key, const std::string& value,
                       const std::string& file);

// Writes several keys of one section, in the order given, with a single
// replacement of the file: a write that fails leaves the file exactly as it
// was, never with some of the keys new and some old. A key whose name or
// value cannot be stored (a line break in it) is left as it was.
using IniKeyValues = std::vector<std::pair<std::string, std::string>>;
WriteOutcome INI_WriteKeys(const std::string& section, const IniKeyValues& keys, const std::string& file);

// Loads BGM_Kind, BGM_Track, BGM_File and BGM_Dir from the settings file.
void INI_Load();

// True when the path can be opened for reading as a file.
bool File_Exists(const std::string& path);

// Folder part of a path, without a trailing separator.
std::string File_Dir(const std::string& path);

// Path of the settings file that saves go to. It is "Oruna.ini" in the
// program folder while that file can be written; in an installation the user
// cannot write to, it is the user's own "oruna/Oruna.ini" in the
// configuration folder. INI_Load reads this file, or the program folder's
// one as long as the user's file does not exist yet.
std::string SettingsFilePath();

// The folder that holds the running Oruna.scr.
std::string ProgramFolder();

}  // namespace oruna
