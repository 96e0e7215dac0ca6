// main() of Oruna.scr: the host's switches become one argument text.
#include "saver_entry.h"
#include "saver_main.h"

int main(int argc, char** argv) {
  return oruna::RunSaver(oruna::JoinArguments(std::vector<std::string>(argv + 1, argv + argc)));
}
