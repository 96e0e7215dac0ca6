// Program start on Windows: CreateProcess by path (the file name ends in
// ".dll", so nothing may depend on file associations, which ShellExecuteA
// would), shown normally and activated. The path is UTF-8 in memory and goes
// out as UTF-16, so that a folder name outside the ANSI code page works too. The process handle is kept for as
// long as the saver runs: it tells the watch when the renderer has ended, and
// an open handle keeps the process id from being reused meanwhile.
#include <windows.h>

#include <map>

#include "program_start.h"
#include "wide_text_win32.h"

namespace oruna {
namespace {

// Process handles by process id; one entry per started program.
std::map<int, HANDLE>& Handles() {
  static std::map<int, HANDLE> handles;
  return handles;
}

}  // namespace

void StartedProgram::Start(const std::string& path) {
  pid_ = -1;
  state_ = ProgramState::NotStarted;
  std::wstring program = WideFromUtf8(path);
  for (wchar_t& c : program) {
    if (c == L'/') c = L'\\';
  }
  // The command line holds only the quoted program path: no arguments.
  std::wstring command_line = L"\"" + program + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  if (program.empty() || !CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0,
                                         nullptr, nullptr, &startup, &process)) {
    return;
  }
  CloseHandle(process.hThread);
  pid_ = static_cast<int>(process.dwProcessId);
  Handles()[pid_] = process.hProcess;
  state_ = ProgramState::Running;
}

ProgramState StartedProgram::State() {
  if (state_ == ProgramState::Running) {
    const auto it = Handles().find(pid_);
    if (it == Handles().end() || WaitForSingleObject(it->second, 0) != WAIT_TIMEOUT) {
      state_ = ProgramState::Exited;
    }
  }
  return state_;
}

void StartedProgram::End() {
  if (State() != ProgramState::Running) return;
  // Windows puts a display mode changed for full screen back when the
  // process that changed it ends, so a forced end leaves nothing behind.
  const HANDLE process = Handles()[pid_];
  TerminateProcess(process, 1);
  WaitForSingleObject(process, 5000);
  state_ = ProgramState::Exited;
}

}  // namespace oruna
