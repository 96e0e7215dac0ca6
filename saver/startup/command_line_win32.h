// The argument text on Windows, where a program gets its whole command line
// as one text (GetCommandLineW) and finds its arguments behind its own name.
#pragma once
#include <string>
#include <string_view>

namespace oruna {

// The command line after the program's name and the blanks that follow it,
// exactly as the host wrote it. The name is quoted ("C:\a b\Oruna.scr") or
// runs up to the first blank or tab, as the C runtime reads it.
std::string ArgumentTextOfCommandLine(std::string_view command_line);

// The running program's argument text, as UTF-8.
std::string ProgramArgumentText();

}  // namespace oruna
