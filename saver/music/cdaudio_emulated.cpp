// Linux: the "cdaudio" device of the emulated media-control service. The
// disc comes from libcdio (cd_disc_cdio.cpp), its audio is played digitally
// through the shared audio output; positions are tracks, minutes, seconds
// and frames ("TT:MM:SS:FF").
#include <algorithm>

#include "cd_disc.h"
#include "cd_stream.h"
#include "mci_devices.h"
#include "mci_errors.h"
#include "media_layer.h"

namespace oruna {
namespace {

void MixCd(void* user, uint8_t* stream, int len) { static_cast<CdStream*>(user)->MixInto(stream, len); }

int DiscEnd(const CdDisc& disc) { return disc.Tracks().back().end_lsn; }

// Where a whole-disc play starts and where the position returns to after
// the disc has played to its end: the first audio track.
int DiscStart(const CdDisc& disc) {
  for (const CdTrack& t : disc.Tracks())
    if (t.audio) return t.first_lsn;
  return disc.Tracks().front().first_lsn;
}

const CdTrack* TrackNumbered(const CdDisc& disc, uint32_t number) {
  for (const CdTrack& t : disc.Tracks())
    if (static_cast<uint32_t>(t.number) == number) return &t;
  return nullptr;
}

// The track a position belongs to; the last track once past the end.
const CdTrack& TrackOf(const CdDisc& disc, int lsn) {
  if (const CdTrack* t = CdTrackAt(disc.Tracks(), lsn)) return *t;
  return lsn < disc.Tracks().front().first_lsn ? disc.Tracks().front() : disc.Tracks().back();
}

}  // namespace

CdAudioDevice::CdAudioDevice() = default;
CdAudioDevice::~CdAudioDevice() { Close(); }

uint32_t CdAudioDevice::Open() {
  if (open_) return kMciErrDeviceOpen;
  CdOpenResult result;
  std::unique_ptr<CdDisc> disc = CdDisc_Open(&result);
  if (result == CdOpenResult::kNoDrive) return kMciErrDeviceNotInstalled;
  open_ = true;  // an empty drive opens; its queries then fail
  if (disc) {
    disc_ = std::move(disc);
    stream_ = std::make_unique<CdStream>(disc_);
  }
  return 0;
}

uint32_t CdAudioDevice::Handle(const MciRequest& request, std::string* answer) {
  if (!open_) return kMciErrInvalidDeviceName;
  ForgetRemovedDisc();
  switch (request.verb) {
    case MciVerb::kSet:
      return request.time_format == "tmsf" ? 0 : kMciErrBadTimeFormat;
    case MciVerb::kStatus:
      return Status(request, answer);
    case MciVerb::kPlay:
      return Play(request);
    case MciVerb::kStop:
      if (!disc_) return kMciErrDeviceNotReady;
      stream_->Stop();
      return 0;
    case MciVerb::kClose:
      Close();
      return 0;
    case MciVerb::kOpen:
      break;
  }
  return kMciErrDeviceOpen;
}

uint32_t CdAudioDevice::Status(const MciRequest& request, std::string* answer) {
  if (!disc_) {
    if (request.item != MciStatusItem::kMode) return kMciErrDeviceNotReady;
    *answer = "not ready";
    return 0;
  }
  const int position = stream_->Position();
  const CdTrack& current = TrackOf(*disc_, position);
  switch (request.item) {
    case MciStatusItem::kCurrentTrack:
      *answer = std::to_string(current.number);
      return 0;
    case MciStatusItem::kNumberOfTracks:
      *answer = std::to_string(disc_->Tracks().size());
      return 0;
    case MciStatusItem::kMode:
      *answer = stream_->Playing() ? "playing" : "stopped";
      return 0;
    case MciStatusItem::kPosition: {
      const int offset = std::max(0, std::min(position, current.end_lsn) - current.first_lsn);
      const int seconds = offset / kCdSectorsPerSecond;
      *answer = MCI_FormatTmsf({static_cast<uint32_t>(current.number), static_cast<uint32_t>(seconds / 60),
                                static_cast<uint32_t>(seconds % 60),
                                static_cast<uint32_t>(offset % kCdSectorsPerSecond)});
      return 0;
    }
    case MciStatusItem::kPositionTrack:
      if (!TrackNumbered(*disc_, request.track)) return kMciErrOutOfRange;
      *answer = MCI_FormatTmsf({request.track, 0, 0, 0});
      return 0;
  }
  return kMciErrUnrecognizedKeyword;
}

// A "TT:MM:SS:FF" position on this disc as a sector number.
uint32_t CdAudioDevice::PositionOf(const std::string& text, int* lsn) const {
  Tmsf tmsf;
  if (!MCI_ParseTmsf(text, &tmsf)) return kMciErrBadInteger;
  const CdTrack* track = TrackNumbered(*disc_, tmsf.track);
  if (!track || tmsf.seconds > 59 || tmsf.frames >= kCdSectorsPerSecond) return kMciErrOutOfRange;
  const int offset = static_cast<int>((tmsf.minutes * 60 + tmsf.seconds) * kCdSectorsPerSecond + tmsf.frames);
  if (offset > track->end_lsn - track->first_lsn) return kMciErrOutOfRange;
  *lsn = track->first_lsn + offset;
  return 0;
}

uint32_t CdAudioDevice::Play(const MciRequest& request) {
  if (!disc_) return kMciErrDeviceNotReady;
  int from = stream_->Position();
  int end = DiscEnd(*disc_);
  if (request.has_from)
    if (const uint32_t err = PositionOf(request.from, &from)) return err;
  if (request.has_to)
    if (const uint32_t err = PositionOf(request.to, &end)) return err;
  if (!request.has_from && from >= end) from = DiscStart(*disc_);
  if (from >= end) return kMciErrOutOfRange;
  if (!AudioOutput_Open()) return kMciErrHardware;
  if (!output_attached_) {
    AudioOutput_SetExtraSource(MixCd, stream_.get());
    output_attached_ = true;
  }
  // After the end of the disc the drive is back at its start, so a plain
  // "play" plays the whole disc again.
  stream_->Play(from, end, request.has_to ? end : DiscStart(*disc_));
  return 0;
}

// A disc taken out while open leaves an empty drive: playback stops, and
// every later command answers as it does for a drive opened empty.
void CdAudioDevice::ForgetRemovedDisc() {
  if (!disc_ || disc_->StillInserted()) return;
  if (output_attached_) AudioOutput_SetExtraSource(nullptr, nullptr);
  output_attached_ = false;
  stream_.reset();
  disc_.reset();
}

void CdAudioDevice::Close() {
  if (output_attached_) AudioOutput_SetExtraSource(nullptr, nullptr);
  output_attached_ = false;
  stream_.reset();
  disc_.reset();
  open_ = false;
}

}  // namespace oruna
