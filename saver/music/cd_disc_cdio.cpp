// Linux (libcdio): the audio disc in the default CD drive, or a BIN/CUE
// image named by ORUNA_CD_IMAGE, read as raw audio sectors.
#include <cdio/cdio.h>
#include <cdio/logging.h>

#include <cstdlib>
#include <mutex>
#include <string>

#include "cd_disc.h"
#include "media_layer.h"

namespace oruna {
namespace {

void QuietLog(cdio_log_level_t, const char*) {}

// libcdio reports a missing drive or a damaged image on stderr by default.
void QuietCdio() {
  static std::once_flag once;
  std::call_once(once, [] {
    if (!MediaLayer_Verbose()) cdio_log_set_handler(QuietLog);
  });
}

class CdioDisc final : public CdDisc {
 public:
  // `image` is the CUE sheet standing in for the drive, empty for a drive.
  CdioDisc(CdIo_t* cdio, std::vector<CdTrack> tracks, std::string image)
      : cdio_(cdio), tracks_(std::move(tracks)), image_(std::move(image)) {}
  ~CdioDisc() override { cdio_destroy(cdio_); }
  CdioDisc(const CdioDisc&) = delete;
  CdioDisc& operator=(const CdioDisc&) = delete;

  const std::vector<CdTrack>& Tracks() const override { return tracks_; }
  bool ReadAudio(int lsn, int count, uint8_t* out) override {
    return cdio_read_audio_sectors(cdio_, out, lsn, static_cast<uint32_t>(count)) == DRIVER_OP_SUCCESS;
  }
  // libcdio keeps the image's data file open, so a deleted image would play
  // on; like a disc taken out, it is gone as soon as its name is, and stays
  // gone. A real drive is not asked here (a query may wait for the drive to
  // spin up); a disc taken out of it fails its reads and plays silence.
  bool StillInserted() override {
    if (!removed_ && !image_.empty()) removed_ = MediaFile_Check(image_) != 0;
    return !removed_;
  }

 private:
  CdIo_t* cdio_;
  std::vector<CdTrack> tracks_;
  std::string image_;
  bool removed_ = false;
};

// The table of contents; false when there is no disc or it makes no sense.
bool ReadToc(CdIo_t* cdio, std::vector<CdTrack>* tracks) {
  const track_t first = cdio_get_first_track_num(cdio);
  const track_t count = cdio_get_num_tracks(cdio);
  if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0) return false;
  int previous_end = 0;
  for (int i = 0; i < count; ++i) {
    const track_t number = static_cast<track_t>(first + i);
    const track_t next = i + 1 < count ? static_cast<track_t>(number + 1)
                                      : static_cast<track_t>(CDIO_CDROM_LEADOUT_TRACK);
    CdTrack track;
    track.number = number;
    track.first_lsn = cdio_get_track_lsn(cdio, number);
    track.end_lsn = cdio_get_track_lsn(cdio, next);
    track.audio = cdio_get_track_format(cdio, number) == TRACK_FORMAT_AUDIO;
    if (track.first_lsn == CDIO_INVALID_LSN || track.end_lsn == CDIO_INVALID_LSN ||
        track.first_lsn < previous_end || track.end_lsn < track.first_lsn)
      return false;
    previous_end = track.end_lsn;
    tracks->push_back(track);
  }
  return true;
}

}  // namespace

std::unique_ptr<CdDisc> CdDisc_Open(CdOpenResult* result) {
  QuietCdio();
  CdIo_t* cdio = nullptr;
  const char* image = std::getenv("ORUNA_CD_IMAGE");
  if (image && *image) {
    // The image stands in for a drive: a missing image is an empty drive.
    if (MediaFile_Check(image) == 0) cdio = cdio_open_cue(image);
  } else {
    cdio = cdio_open(nullptr, DRIVER_DEVICE);
    if (!cdio) {
      *result = CdOpenResult::kNoDrive;
      return nullptr;
    }
  }
  std::vector<CdTrack> tracks;
  if (!cdio || !ReadToc(cdio, &tracks)) {
    if (cdio) cdio_destroy(cdio);
    *result = CdOpenResult::kNoDisc;
    return nullptr;
  }
  *result = CdOpenResult::kOk;
  return std::make_unique<CdioDisc>(cdio, std::move(tracks), image && *image ? image : "");
}

}  // namespace oruna
