// The argument text taken from the process's command line, and the window
// handles written in it.
#include "command_line_win32.h"

#include <windows.h>

#include "wide_text_win32.h"

namespace oruna {

std::string ArgumentTextOfCommandLine(std::string_view command_line) {
  size_t i = 0;
  if (!command_line.empty() && command_line[0] == '"') {
    // A quoted name ends at the next quote; quotes are not escaped in it.
    const size_t close = command_line.find('"', 1);
    i = close == std::string_view::npos ? command_line.size() : close + 1;
  } else {
    i = command_line.find_first_of(" \t");
    if (i == std::string_view::npos) i = command_line.size();
  }
  while (i < command_line.size() && (command_line[i] == ' ' || command_line[i] == '\t')) ++i;
  return std::string(command_line.substr(i));
}

std::string SaverArgumentText(std::string argument_text) {
  return argument_text.empty() ? "/c" : argument_text;
}

std::string ProgramArgumentText() { return ArgumentTextOfCommandLine(Utf8FromWide(GetCommandLineW())); }

HWND WindowOfHandleNumber(int64_t number) {
  if (number == 0 || number < INT32_MIN || number > UINT32_MAX) return nullptr;
  const auto handle32 = static_cast<int32_t>(static_cast<uint32_t>(number));
  return reinterpret_cast<HWND>(static_cast<intptr_t>(handle32));
}

}  // namespace oruna
