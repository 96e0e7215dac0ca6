// The CD playback engine with a made-up disc: the position follows what is
// heard, data tracks are skipped, unreadable sectors are silence, and a
// hanging drive cannot hang the caller.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "cd_stream.h"
#include "test_support.h"

namespace oruna {
namespace {

using namespace std::chrono_literals;

// Every sample of sector `lsn` holds lsn + 1, so the output tells which
// sector was heard.
class FakeDisc final : public CdDisc {
 public:
  explicit FakeDisc(std::vector<CdTrack> tracks) : tracks_(std::move(tracks)) {}
  const std::vector<CdTrack>& Tracks() const override { return tracks_; }
  bool ReadAudio(int lsn, int count, uint8_t* out) override {
    ++reads_started;
    if (read_delay.count() > 0) std::this_thread::sleep_for(read_delay);
    for (int s = 0; s < count; ++s) {
      if (fails && fails(lsn + s)) return false;
      const int16_t v = value ? value(lsn + s) : static_cast<int16_t>(lsn + s + 1);
      for (int i = 0; i < kCdSectorBytes; i += 2) {
        out[s * kCdSectorBytes + i] = static_cast<uint8_t>(v & 0xff);
        out[s * kCdSectorBytes + i + 1] = static_cast<uint8_t>((v >> 8) & 0xff);
      }
    }
    sectors_read += count;
    return true;
  }

  std::function<bool(int)> fails;
  std::function<int16_t(int)> value;
  std::chrono::milliseconds read_delay{0};
  std::atomic<int> sectors_read{0};
  std::atomic<int> reads_started{0};

 private:
  std::vector<CdTrack> tracks_;
};

std::vector<CdTrack> ThreeTracks(bool middle_is_data = false) {
  return {{1, 0, 10, true}, {2, 10, 20, !middle_is_data}, {3, 20, 30, true}};
}

int16_t SampleAt(const std::vector<uint8_t>& bytes, size_t i) {
  return static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
}

// Takes `sectors` sectors of output and returns the first sample of each.
std::vector<int> Hear(CdStream& stream, int sectors) {
  std::vector<int> heard;
  for (int i = 0; i < sectors; ++i) {
    std::vector<uint8_t> out(kCdSectorBytes, 0);
    stream.MixInto(out.data(), kCdSectorBytes);
    heard.push_back(SampleAt(out, 0));
  }
  return heard;
}

struct Player {
  explicit Player(std::vector<CdTrack> tracks) : disc(std::make_shared<FakeDisc>(std::move(tracks))) {}
  void PlayAndWaitForReader(int from, int end, int rewind) {
    const int before = disc->sectors_read;
    stream.Play(from, end, rewind);
    ASSERT_TRUE(test::WaitUntil([&] { return disc->sectors_read - before >= 1; }, 2000ms));
    test::SleepMs(50);  // the ring holds more than these discs: all is read by now
  }
  std::shared_ptr<FakeDisc> disc;
  CdStream stream{disc};
};

TEST(CdStream, PositionFollowsWhatIsHeardAndRewindsAtTheEnd) {
  Player p(ThreeTracks());
  EXPECT_EQ(p.stream.Position(), 0);
  p.PlayAndWaitForReader(0, 30, 0);
  EXPECT_EQ(p.disc->sectors_read, 30);
  EXPECT_EQ(p.stream.Position(), 0);  // read ahead, but nothing heard yet
  EXPECT_TRUE(p.stream.Playing());

  EXPECT_EQ(Hear(p.stream, 5), (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(p.stream.Position(), 5);
  Hear(p.stream, 10);
  EXPECT_EQ(p.stream.Position(), 15);
  Hear(p.stream, 15);
  EXPECT_FALSE(p.stream.Playing());
  EXPECT_EQ(p.stream.Position(), 0);
  EXPECT_EQ(Hear(p.stream, 1), std::vector<int>{0});  // stopped: nothing added
}

TEST(CdStream, DataTracksAreSkipped) {
  Player p(ThreeTracks(/*middle_is_data=*/true));
  p.PlayAndWaitForReader(8, 30, 0);
  EXPECT_EQ(Hear(p.stream, 4), (std::vector<int>{9, 10, 21, 22}));
  EXPECT_EQ(p.stream.Position(), 22);
}

TEST(CdStream, UnreadableSectorsPlayAsSilenceAndPlaybackGoesOn) {
  Player p(ThreeTracks());
  p.disc->fails = [](int lsn) { return lsn == 3; };
  p.stream.Play(0, 30, 0);
  ASSERT_TRUE(test::WaitUntil([&] { return p.disc->sectors_read >= 22; }, 2000ms));
  const std::vector<int> heard = Hear(p.stream, 30);
  EXPECT_EQ(heard[0], 0);    // the chunk holding sector 3 is silent
  EXPECT_EQ(heard[29], 30);  // and the disc plays on to its end
  EXPECT_FALSE(p.stream.Playing());
}

TEST(CdStream, StopKeepsThePositionAndPlayGoesOnFromIt) {
  Player p(ThreeTracks());
  p.PlayAndWaitForReader(0, 30, 0);
  Hear(p.stream, 4);
  p.stream.Stop();
  EXPECT_FALSE(p.stream.Playing());
  EXPECT_EQ(p.stream.Position(), 4);
  EXPECT_EQ(Hear(p.stream, 1), std::vector<int>{0});
  p.PlayAndWaitForReader(p.stream.Position(), 30, 0);
  EXPECT_EQ(Hear(p.stream, 2), (std::vector<int>{5, 6}));
}

TEST(CdStream, MixingAddsToTheOutputAndClipsAtFullScale) {
  Player p(ThreeTracks());
  p.disc->value = [](int lsn) { return static_cast<int16_t>(lsn == 0 ? 30000 : -30000); };
  p.PlayAndWaitForReader(0, 2, 0);
  std::vector<uint8_t> out(2 * kCdSectorBytes);
  for (size_t i = 0; i < out.size(); i += 2) {  // 10000 already in the mix
    out[i] = 0x10;
    out[i + 1] = 0x27;
  }
  out[kCdSectorBytes] = 0xf0;  // -10000 at the start of the second sector
  out[kCdSectorBytes + 1] = 0xd8;
  p.stream.MixInto(out.data(), static_cast<int>(out.size()));
  EXPECT_EQ(SampleAt(out, 0), 32767);
  EXPECT_EQ(SampleAt(out, kCdSectorBytes / 2), -32768);
  EXPECT_EQ(SampleAt(out, kCdSectorBytes / 2 + 1), -20000);
}

TEST(CdStream, AHangingDriveReadDoesNotHangTheOwner) {
  auto disc = std::make_shared<FakeDisc>(ThreeTracks());
  disc->read_delay = 3000ms;
  auto stream = std::make_unique<CdStream>(disc);
  stream->Play(0, 30, 0);
  ASSERT_TRUE(test::WaitUntil([&] { return disc->reads_started > 0; }, 2000ms));
  const auto start = std::chrono::steady_clock::now();
  stream.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1500ms);
}

}  // namespace
}  // namespace oruna
