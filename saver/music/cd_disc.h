// An audio disc as the CD device reads it: the table of contents and raw
// audio sectors (2352 bytes, 1/75 s of 44100 Hz 16-bit stereo).
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

namespace oruna {

inline constexpr int kCdSectorBytes = 2352;
inline constexpr int kCdSectorsPerSecond = 75;

struct CdTrack {
  int number = 0;     // as numbered on the disc
  int first_lsn = 0;  // first sector
  int end_lsn = 0;    // one past the last sector
  bool audio = true;
};

class CdDisc {
 public:
  virtual ~CdDisc() = default;
  // Tracks in disc order; never empty.
  virtual const std::vector<CdTrack>& Tracks() const = 0;
  // Reads `count` sectors from `lsn` into `out`; false on a read error.
  // Called from the CD reader thread only.
  virtual bool ReadAudio(int lsn, int count, uint8_t* out) = 0;
  // False once the disc has been taken out (or its image has gone); the
  // drive then counts as empty. Called from the media-control thread.
  virtual bool StillInserted() { return true; }
};

// The track that holds sector `lsn`; null before the first or after the last.
inline const CdTrack* CdTrackAt(const std::vector<CdTrack>& tracks, int lsn) {
  for (const CdTrack& t : tracks)
    if (lsn >= t.first_lsn && lsn < t.end_lsn) return &t;
  return nullptr;
}

enum class CdOpenResult { kOk, kNoDrive, kNoDisc };

// The disc in the default drive, or the BIN/CUE image named by the
// environment variable ORUNA_CD_IMAGE (a diagnostic and test aid).
std::unique_ptr<CdDisc> CdDisc_Open(CdOpenResult* result);

}  // namespace oruna
