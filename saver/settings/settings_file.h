// The settings file "Oruna.ini": a Windows INI file with one section
// "Section" and the keys "BGM区分", "BGMﾘﾋﾟｰﾄ", "BGMﾌｧｲﾙ". Text is UTF-8 in
// memory; the file holds it in its own charset (the locale's, or CP932).
#pragma once
#include <string>

#include "ini_number.h"  // FormatIniNumber: the form in which numbers are saved

namespace oruna {

// Reads one value ("" when the file, section or key is missing).
std::string INI_Read(const std::string& section, const std::string& key, const std::string& file);

// Writes one value, keeping every other line; creates file and section.
void INI_Write(const std::string& section, const std::string& key, const std::string& value,
               const std::string& file);

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
