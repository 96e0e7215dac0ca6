// Program start on Windows: CreateProcess by path (the file name ends in
// ".dll", so nothing may depend on file associations, which ShellExecuteA
// would), shown normally and activated, with the saver's right to take the
// foreground handed on to it. The path is UTF-8 in memory and goes
// out as UTF-16, so that a folder name outside the ANSI code page works too. The process handle is kept for as
// long as the saver runs: it tells the watch when the renderer has ended, and
// an open handle keeps the process id from being reused meanwhile. A job
// object ties the started program's life to the saver's.
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

// The job every started program runs in. Closing its last handle ends every
// process in it, and the saver holds that handle until it ends, however it
// ends (even by TerminateProcess): so the renderer never outlives the saver.
// Null when no job can be made; programs then start outside one.
HANDLE RendererJob() {
  static const HANDLE job = [] {
    HANDLE made = CreateJobObjectW(nullptr, nullptr);
    if (made == nullptr) return made;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(made, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
      CloseHandle(made);
      made = nullptr;
    }
    return made;
  }();
  return job;
}

}  // namespace

// The process handles stay open in Handles() for as long as the saver runs.
StartedProgram::~StartedProgram() = default;

void StartedProgram::Start(const std::string& path, int /*inherited_fd*/) {
  pid_ = -1;
  exit_wait_handle_ = -1;
  state_ = ProgramState::NotStarted;
  ended_cleanly_ = false;
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
  // Started suspended, so that it is in the job before it runs a single
  // instruction (and before it could start anything of its own).
  if (program.empty() || !CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, FALSE,
                                         CREATE_SUSPENDED, nullptr, nullptr, &startup, &process)) {
    return;
  }
  // A job that cannot take it (an older Windows inside a job of its own)
  // leaves it outside: it then runs as before.
  if (RendererJob() != nullptr) AssignProcessToJobObject(RendererJob(), process.hProcess);
  // The saver's run form is never shown, so the renderer may not take the
  // foreground by its own right: Windows would then leave the keys, Escape
  // included, with the program the user left. Handing our right on before
  // the renderer runs lets its SetForegroundWindow succeed.
  AllowSetForegroundWindow(process.dwProcessId);
  ResumeThread(process.hThread);
  CloseHandle(process.hThread);
  pid_ = static_cast<int>(process.dwProcessId);
  Handles()[pid_] = process.hProcess;
  exit_wait_handle_ = reinterpret_cast<intptr_t>(process.hProcess);
  state_ = ProgramState::Running;
}

ProgramState StartedProgram::State() {
  if (state_ == ProgramState::Running) {
    const auto it = Handles().find(pid_);
    if (it == Handles().end() || WaitForSingleObject(it->second, 0) != WAIT_TIMEOUT) {
      state_ = ProgramState::Exited;
      DWORD code = 1;
      ended_cleanly_ = it != Handles().end() && GetExitCodeProcess(it->second, &code) && code == 0;
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
