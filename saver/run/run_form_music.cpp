// The run form's music calls, forwarded to the music player.
#include "bgm_player.h"
#include "run_form.h"

namespace oruna {
namespace {

class BgmForwarder final : public RunFormMusic {
 public:
  void CDOpen() override { BGM_CDOpen(); }
  bool CDPoll() override {
    BGM_CDPoll();
    return CD_PollOn;
  }
  void CDClose() override { BGM_CDClose(); }
  void WAVPlay() override { BGM_WAVPlay(); }
  void WAVStop() override { BGM_WAVStop(); }
  void MP3Open() override { BGM_MP3Open(); }
  void MP3Loop() override { BGM_MP3Loop(); }
  void MP3Close() override { BGM_MP3Close(); }
};

}  // namespace

RunFormMusic& BgmMusic() {
  static BgmForwarder forwarder;
  return forwarder;
}

}  // namespace oruna
