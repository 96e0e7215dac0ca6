// The POSIX pieces of the run: replacing the texture files safely and
// starting the renderer and learning of its end.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "file_replace.h"
#include "program_start.h"
#include "test_support.h"

namespace oruna {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

size_t EntryCount(const std::string& folder) {
  size_t n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++n;
  return n;
}

TEST(ReplaceFileContents, WritesAndReplacesAPrivateFileLeavingNoTemporaryBehind) {
  TempDir dir;
  const std::string path = dir.path() + "/Oruna1.bmp";
  ASSERT_TRUE(ReplaceFileContents(path, {1, 2, 3}));
  ASSERT_TRUE(ReplaceFileContents(path, {4, 5}));
  EXPECT_EQ(ReadFileBytes(path), (std::vector<uint8_t>{4, 5}));
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(EntryCount(dir.path()), 1u);
}

TEST(ReplaceFileContents, ReplacesAPlantedSymlinkInsteadOfWritingThroughIt) {
  TempDir dir;
  const std::string victim = dir.path() + "/victim";
  ASSERT_TRUE(WriteFileBytes(victim, {9, 9, 9}));
  const std::string path = dir.path() + "/Oruna2.bmp";
  ASSERT_EQ(symlink(victim.c_str(), path.c_str()), 0);
  const std::string dangling = dir.path() + "/Oruna3.bmp";
  ASSERT_EQ(symlink((dir.path() + "/created-by-link").c_str(), dangling.c_str()), 0);

  ASSERT_TRUE(ReplaceFileContents(path, {1}));
  ASSERT_TRUE(ReplaceFileContents(dangling, {2}));
  EXPECT_EQ(ReadFileBytes(victim), (std::vector<uint8_t>{9, 9, 9}));
  EXPECT_FALSE(test::FileExists(dir.path() + "/created-by-link"));
  struct stat st {};
  ASSERT_EQ(lstat(path.c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(ReadFileBytes(path), (std::vector<uint8_t>{1}));
}

TEST(ReplaceFileContents, FailsQuietlyWhenTheFolderIsMissingOrNotAFolder) {
  TempDir dir;
  EXPECT_FALSE(ReplaceFileContents(dir.path() + "/missing/Oruna1.bmp", {1}));
  const std::string file = dir.path() + "/file";
  ASSERT_TRUE(WriteFileBytes(file, {7}));
  EXPECT_FALSE(ReplaceFileContents(file + "/Oruna1.bmp", {1}));
  EXPECT_EQ(EntryCount(dir.path()), 1u);
}

TEST(ReplaceFileContents, RefusesAFolderThatIsALinkOrOpenToOtherWriters) {
  TempDir dir;
  const std::string real = dir.path() + "/real";
  ASSERT_EQ(mkdir(real.c_str(), 0700), 0);
  const std::string link = dir.path() + "/link";
  ASSERT_EQ(symlink(real.c_str(), link.c_str()), 0);
  EXPECT_FALSE(ReplaceFileContents(link + "/Oruna1.bmp", {1}));
  EXPECT_EQ(EntryCount(real), 0u);

  ASSERT_EQ(chmod(real.c_str(), 0777), 0);
  EXPECT_FALSE(ReplaceFileContents(real + "/Oruna1.bmp", {1}));
  EXPECT_EQ(EntryCount(real), 0u);
}

// A process started by path must be reaped by the watch: afterwards no
// child of ours is left, not even a zombie.
void ExpectNoChildLeft() {
  errno = 0;
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

TEST(StartedProgram, RunsAProgramWhateverItsExtensionAndReapsIt) {
  TempDir dir;
  const std::string program = dir.path() + "/Oruna.dll";
  const std::string marker = dir.path() + "/args";
  const std::string script = "#!/bin/sh\necho \"$#\" > '" + marker + "'\nsleep 0.2\n";
  ASSERT_TRUE(WriteFileBytes(program, std::vector<uint8_t>(script.begin(), script.end())));
  ASSERT_EQ(chmod(program.c_str(), 0700), 0);

  StartedProgram started;
  EXPECT_EQ(started.State(), ProgramState::NotStarted);
  started.Start(program);
  EXPECT_EQ(started.State(), ProgramState::Running);
  // Its descriptor turns readable at its end, for an event loop to wake on.
  pollfd exit{static_cast<int>(started.exit_wait_handle()), POLLIN, 0};
  ASSERT_GE(exit.fd, 0);
  EXPECT_EQ(poll(&exit, 1, 5000), 1);
  EXPECT_EQ(started.State(), ProgramState::Exited);
  ExpectNoChildLeft();
  const std::vector<uint8_t> args = ReadFileBytes(marker);
  EXPECT_EQ(std::string(args.begin(), args.end()), "0\n");  // no arguments
}

// Asked to end, a program gets a grace time; one that ignores the request is
// ended by force. Either way it is reaped.
TEST(StartedProgram, EndStopsTheProgramEvenWhenItIgnoresTheRequest) {
  TempDir dir;
  for (const std::string trap : {"", "trap '' TERM\n"}) {
    const std::string program = dir.path() + "/Oruna.dll";
    const std::string script = "#!/bin/sh\n" + trap + "while :; do sleep 1; done\n";
    ASSERT_TRUE(WriteFileBytes(program, std::vector<uint8_t>(script.begin(), script.end())));
    ASSERT_EQ(chmod(program.c_str(), 0700), 0);
    StartedProgram started;
    started.Start(program);
    ASSERT_EQ(started.State(), ProgramState::Running);
    test::SleepMs(100);  // the shell has set its trap
    const pid_t pid = started.pid();
    started.End();
    EXPECT_EQ(started.State(), ProgramState::Exited) << trap;
    EXPECT_NE(kill(pid, 0), 0) << trap;
    ExpectNoChildLeft();
  }
}

TEST(StartedProgram, AMissingOrNonExecutableProgramIsNotStarted) {
  TempDir dir;
  StartedProgram missing;
  missing.Start(dir.path() + "/Oruna.dll");
  EXPECT_EQ(missing.State(), ProgramState::NotStarted);

  const std::string plain = dir.path() + "/plain.dll";
  ASSERT_TRUE(WriteFileBytes(plain, {'x'}));
  StartedProgram not_executable;
  not_executable.Start(plain);
  EXPECT_EQ(not_executable.State(), ProgramState::NotStarted);
  ExpectNoChildLeft();
}

}  // namespace
}  // namespace oruna
