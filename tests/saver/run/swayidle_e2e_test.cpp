// The README's swayidle line, run as written (with the program's folder and
// a short timeout put in) under headless sway, with XWayland (the run is
// then native all the same: Wayland is preferred where both displays exist)
// and without it: the saver starts
// once the session has been idle for the timeout, ends when input arrives
// (a key from a virtual keyboard, which the saver itself ignores), starts
// again after the next idle period, and never runs twice at once.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <iostream>
#include <thread>
#include <vector>

#include "test_support.h"
#include "wayland_session.h"

namespace oruna::test {
namespace {

using namespace std::chrono;
using namespace std::chrono_literals;

constexpr int kIdleSeconds = 2;

// The line of the README's swayidle section that starts swayidle.
std::string ReadmeLine() {
  std::ifstream in(ORUNA_README);
  bool in_section = false;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("### ", 0) == 0) in_section = line.rfind("### swayidle", 0) == 0;
    if (in_section && line.rfind("swayidle ", 0) == 0) return line;
  }
  return "";
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

// The README's line for the programs in `folder` and the short timeout, run
// in the foreground (without its trailing "&") so that the test owns it.
std::string LineForTest(std::string line, const std::string& folder) {
  ReplaceAll(line, "/usr/lib/oruna", folder);
  ReplaceAll(line, "timeout 300 ", "timeout " + std::to_string(kIdleSeconds) + " ");
  while (!line.empty() && (line.back() == '&' || line.back() == ' ')) line.pop_back();
  return "exec " + line;
}

// Counts the savers running from the folder, every 20 ms, and keeps the most
// seen at once. A saver's own child between its fork and the renderer's exec
// still shows the saver's command line: it is not a second saver.
class SaverWatch {
 public:
  explicit SaverWatch(std::string folder) : folder_(std::move(folder)), thread_([this] { Run(); }) {}
  ~SaverWatch() {
    stop_ = true;
    thread_.join();
  }
  int most() const { return most_; }
  bool running() const { return !ProcessesIn(folder_, "Oruna.scr").empty(); }

 private:
  void Run() {
    while (!stop_) {
      const std::vector<pid_t> savers = ProcessesIn(folder_, "Oruna.scr");
      const auto own_child = [&](pid_t pid) {
        return std::find(savers.begin(), savers.end(), ParentOf(pid)) != savers.end();
      };
      const auto running = savers.size() - static_cast<size_t>(std::count_if(savers.begin(), savers.end(), own_child));
      most_ = std::max(most_.load(), static_cast<int>(running));
      SleepMs(20);
    }
  }
  std::string folder_;
  std::atomic<bool> stop_{false};
  std::atomic<int> most_{0};
  std::thread thread_;
};

class SwayIdle : public ::testing::TestWithParam<bool> {};

TEST_P(SwayIdle, TheReadmeLineStartsTheSaverOnIdleAndEndsItOnInputEveryTime) {
  const std::string readme_line = ReadmeLine();
  ASSERT_FALSE(readme_line.empty()) << "the README has a swayidle line";
  if (FindProgram("swayidle").empty()) GTEST_SKIP() << "swayidle is not installed";
  WaylandSession session(WaylandSessionOptions{Compositor::kSway, 1280, 800, GetParam(), ""});
  if (!session.ok() && session.why_not().find("not installed") != std::string::npos)
    GTEST_SKIP() << session.why_not();
  ASSERT_TRUE(session.ok()) << session.why_not();
  const std::string programs = session.CopyPrograms({BinaryDir() + "/Oruna.scr", BinaryDir() + "/Oruna.dll"});
  ASSERT_FALSE(programs.empty());
  const std::string line = LineForTest(readme_line, programs);
  SaverWatch watch(programs);

  const auto begin = steady_clock::now();
  std::unique_ptr<ChildProcess> idle = session.StartClient({"/bin/sh", "-c", line});
  // The session is idle from swayidle's start, then from each key: the
  // timeout counts from the input, not from the run's end after it.
  auto idle_from = steady_clock::now();
  for (int period = 1; period <= 2; ++period) {
    SCOPED_TRACE("idle period " + std::to_string(period));
    const auto period_idle_from = idle_from;
    ASSERT_TRUE(WaitUntil([&] { return watch.running(); }, 20s)) << "started on idle: " << line;
    const auto started = steady_clock::now();
    EXPECT_GE(started - period_idle_from, seconds(kIdleSeconds) - 500ms) << "not before the timeout";
    // The picture is up (the renderer has its window) before the user comes back.
    std::optional<Screenshot> shot;
    EXPECT_TRUE(WaitUntil([&] {
      return (shot = session.TakeScreenshot()) && CountPixels(*shot, kDesktopBackground) == 0;
    }, 20s)) << "the scene covers the desktop";
    const auto input = steady_clock::now();
    ASSERT_TRUE(session.PressKey("Shift_L", "Oruna_VC"));
    idle_from = input;
    EXPECT_TRUE(WaitUntil([&] { return ProcessesIn(programs).empty(); }, 10s)) << "input ends the run";
    const auto ended = steady_clock::now();
    std::cout << "period " << period << ": started " << duration_cast<milliseconds>(started - period_idle_from).count()
              << " ms after the last input (timeout " << kIdleSeconds << " s), ended "
              << duration_cast<milliseconds>(ended - input).count() << " ms after the key\n";
  }
  EXPECT_EQ(watch.most(), 1) << "never two savers at once";
  idle->Kill(SIGTERM);
  EXPECT_TRUE(idle->Wait(5s).has_value());
  EXPECT_TRUE(ProcessesIn(programs).empty());
  EXPECT_TRUE(session.End());
  std::cout << "whole test " << duration_cast<milliseconds>(steady_clock::now() - begin).count() << " ms\n";
}

INSTANTIATE_TEST_SUITE_P(XWayland, SwayIdle, ::testing::Bool(),
                         [](const auto& info) { return std::string(info.param ? "Enabled" : "Disabled"); });

}  // namespace
}  // namespace oruna::test
