// What the tests of the music player on the Linux media layer share: one
// disk-audio folder for the whole process, the player's state reset around
// each case, and this test program run again in a child process whose
// terminal output is checked.
#pragma once
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "bgm_player.h"

namespace oruna::test {

// The process's working folder. The first call points SDL's disk audio
// driver into it, so call it before any audio is opened.
const std::string& MusicDir();

// Each case starts with the player as a fresh saver has it, the disk audio
// set up and no disc image chosen; all music is closed after it.
class MusicPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // The media control the player uses; nullptr for the platform's own.
  MediaControl* control_ = nullptr;
};

// Runs this test program again with --gtest_filter=`filter` and `env` added
// to its environment; its output goes to <dir>/stdout-<name> and
// <dir>/stderr-<name>. The run must pass and print nothing to stderr.
void ExpectQuietRunOfSelf(const std::string& filter, const std::map<std::string, std::string>& env,
                          const std::string& dir, const std::string& name);

}  // namespace oruna::test
