// The run form's timer ticks allocate nothing: a long run of renderer watch,
// MP3 repeat and CD poll ticks makes no allocation through operator new
// (counted by allocation_counter.cpp; the fake platform's log has its room
// reserved beforehand).
#include <gtest/gtest.h>

#include "allocation_counter.h"
#include "fake_saver_platform.h"
#include "run_form.h"
#include "settings_values.h"

namespace oruna {
namespace {

size_t TickAllocations(int16_t kind, const std::string& file) {
  BGM_Kind = kind;
  BGM_File = file;
  test::FakeSaverPlatform platform;
  test::RecordingMusic music(platform.log);
  platform.windows.insert(kRendererTitle);
  RunForm form(platform, music, "/s");
  form.Form_Load();
  platform.Advance(1000);  // the first ticks of every timer
  platform.log.reserve(platform.log.size() + 1000);
  size_t count;
  {
    test::AllocationCount allocations;
    platform.Advance(30000);  // 300 watch ticks and 30 repeats or 150 polls
    count = allocations.count();
  }
  EXPECT_FALSE(platform.ended);
  EXPECT_TRUE(form.Timer3Enabled());
  form.Form_QueryUnload();
  BGM_Kind = 0;
  BGM_File.clear();
  return count;
}

TEST(RunFormAllocation, WatchRepeatAndPollTicksAllocateNothing) {
  EXPECT_EQ(TickAllocations(2, "/m/a.mp3"), 0u) << "MP3 repeat and renderer watch";
  EXPECT_EQ(TickAllocations(1, ""), 0u) << "CD poll and renderer watch";
}

}  // namespace
}  // namespace oruna
