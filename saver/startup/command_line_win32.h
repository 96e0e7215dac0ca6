// The argument text on Windows, where a program gets its whole command line
// as one text (GetCommandLineW) and finds its arguments behind its own name.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace oruna {

// The command line after the program's name and the blanks that follow it,
// exactly as the host wrote it. The name is quoted ("C:\a b\Oruna.scr") or
// runs up to the first blank or tab, as the C runtime reads it.
std::string ArgumentTextOfCommandLine(std::string_view command_line);

// The argument text Main gets on Windows: the host's, or "/c" when there is
// none. Explorer's "Configure" starts a screen saver with no argument at all,
// and Windows' convention reads that as a request for the settings (a
// double-click adds "/s").
std::string SaverArgumentText(std::string argument_text);

// The running program's argument text, as UTF-8.
std::string ProgramArgumentText();

// The window that a handle number of the command line names. Window handles
// are 32-bit values that 64-bit Windows sign-extends, and hosts write them
// signed or unsigned: -2147483000 and 2147484296 name the same window. Null
// for 0 and for numbers outside both ranges.
HWND WindowOfHandleNumber(int64_t number);

}  // namespace oruna
