// Digital playback of a stretch of an audio disc. A reader thread reads
// sectors ahead into a ring; the audio thread takes them out and adds them
// to the output. The position is the sector being heard, so the track and
// mode reported follow what is actually playing, not what has been read.
#pragma once
#include <cstdint>
#include <memory>
#include <thread>

#include "cd_disc.h"

namespace oruna {

class CdStream {
 public:
  // Starts stopped at the first sector of the first track.
  explicit CdStream(std::shared_ptr<CdDisc> disc);
  ~CdStream();
  CdStream(const CdStream&) = delete;
  CdStream& operator=(const CdStream&) = delete;

  // Plays sectors [from_lsn, end_lsn); data tracks are skipped. When the
  // stretch has been heard to its end, playback stops and the position
  // becomes `rewind_lsn`.
  void Play(int from_lsn, int end_lsn, int rewind_lsn);
  // Stops at once; the position stays where it is.
  void Stop();
  bool Playing() const;
  int Position() const;

  // Audio thread: adds up to `len` bytes of 16-bit little-endian stereo to
  // `stream`. Plays nothing while the reader has not caught up.
  void MixInto(uint8_t* stream, int len);

 private:
  struct Shared;
  static void ReaderLoop(std::shared_ptr<Shared> shared);

  std::shared_ptr<Shared> shared_;
  std::thread reader_;
};

}  // namespace oruna
