// main() of Oruna.scr: the host's switches become one argument text.
#include <csignal>

#include "saver_entry.h"
#include "saver_main.h"

int main(int argc, char** argv) {
  // A write past the user's file-size limit must fail with EFBIG, so that a
  // save reports it and keeps the old file, instead of ending the saver.
  std::signal(SIGXFSZ, SIG_IGN);
  // A launcher may pass SIGCHLD on ignored, and the kernel would then reap
  // the renderer itself: its end could not be waited for, and every clean
  // Escape would look like a renderer that died. The saver's child is its own.
  std::signal(SIGCHLD, SIG_DFL);
  return oruna::RunSaver(oruna::JoinArguments(std::vector<std::string>(argv + 1, argv + argc)));
}
