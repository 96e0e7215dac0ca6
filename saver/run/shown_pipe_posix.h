// The saver's end of the renderer's "picture shown" report (the interface is
// described in shown_report.h): a pipe whose write end the renderer
// inherits, named in its environment, and whose read end the saver's loop
// watches.
// Limits: one renderer at a time; the variable is in the saver's own
// environment only while the renderer is being started.
// Depends on: POSIX pipes and the environment.
#pragma once

namespace oruna {

class ShownPipe {
 public:
  ShownPipe() = default;
  ~ShownPipe() { Close(); }
  ShownPipe(const ShownPipe&) = delete;
  ShownPipe& operator=(const ShownPipe&) = delete;

  // A new pipe, with $ORUNA_SHOWN_FD naming its write end for the program
  // about to be started; false (and no variable) when no pipe can be made.
  bool OpenForStart();
  // After the start: the variable goes and the saver's copy of the write end
  // is closed, so the read end sees the pipe close when the renderer ends.
  void FinishStart();
  // The write end the started program must inherit; -1 when there is none.
  int write_end() const { return write_end_; }
  // The end the loop watches; -1 when there is none.
  int read_end() const { return read_end_; }
  // Reads what has arrived: true when it is the report (the renderer's one
  // byte); the pipe is closed either way, since nothing else can follow.
  bool TakeReport();
  void Close();

 private:
  int read_end_ = -1;
  int write_end_ = -1;
};

}  // namespace oruna
