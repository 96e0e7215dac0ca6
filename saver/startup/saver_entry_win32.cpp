// WinMain of Oruna.scr: the screen-saver host's switches come as the part of
// the command line behind the program's name; none at all (Explorer's
// "Configure") asks for the settings.
#include <windows.h>

#include "command_line_win32.h"
#include "saver_entry.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return oruna::RunSaver(oruna::SaverArgumentText(oruna::ProgramArgumentText()));
}
