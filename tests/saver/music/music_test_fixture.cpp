#include "music_test_fixture.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <vector>

#include "music_fixtures.h"
#include "settings_values.h"
#include "test_support.h"

namespace oruna::test {

const std::string& MusicDir() {
  static TempDir dir;
  static const bool audio = (UseDiskAudio(dir.path()), true);
  (void)audio;
  return dir.path();
}

void MusicPlayerTest::SetUp() {
  MusicDir();
  BGM_ResetState();
  BGM_UseBackends(control_, nullptr);
  BGM_Track = 0;
  BGM_File.clear();
  unsetenv("ORUNA_CD_IMAGE");
}

void MusicPlayerTest::TearDown() {
  BGM_CDClose();
  BGM_MP3Close();
  BGM_WAVStop();
  BGM_UseBackends(nullptr, nullptr);
}

void ExpectQuietRunOfSelf(const std::string& filter, const std::map<std::string, std::string>& env,
                          const std::string& dir, const std::string& name) {
  char self[4096];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  ASSERT_GT(n, 0);
  self[n] = '\0';
  const std::string out = dir + "/stdout-" + name;
  const std::string err = dir + "/stderr-" + name;
  ChildProcess child({"/bin/sh", "-c", "exec \"$0\" --gtest_filter=\"$1\" >\"$2\" 2>\"$3\"", self, filter, out, err},
                     env);
  ASSERT_TRUE(child.started());
  const std::optional<int> exit_code = child.Wait(std::chrono::seconds(60));
  const std::vector<uint8_t> report = ReadFileBytes(out);
  EXPECT_EQ(exit_code, 0) << name << ": " << std::string(report.begin(), report.end());
  const std::vector<uint8_t> printed = ReadFileBytes(err);
  EXPECT_TRUE(printed.empty()) << name << ": " << std::string(printed.begin(), printed.end());
}

}  // namespace oruna::test
