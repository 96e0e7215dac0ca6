// CD playback engine: reader thread, sector ring and position bookkeeping.
// Portable; the disc and the audio output are supplied from outside.
#include "cd_stream.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <vector>

namespace oruna {
namespace {

constexpr int kRingSectors = 150;  // two seconds read ahead
constexpr int kReadChunk = 8;      // sectors per read

// Adds two 16-bit little-endian sample streams, clipping at full scale.
void AddSamples(uint8_t* dst, const uint8_t* src, int len) {
  for (int i = 0; i + 1 < len; i += 2) {
    const int a = static_cast<int16_t>(dst[i] | (dst[i + 1] << 8));
    const int b = static_cast<int16_t>(src[i] | (src[i + 1] << 8));
    const int sum = std::clamp(a + b, -32768, 32767);
    dst[i] = static_cast<uint8_t>(sum & 0xff);
    dst[i + 1] = static_cast<uint8_t>((sum >> 8) & 0xff);
  }
}

}  // namespace

// Everything the reader thread touches. The thread holds its own reference,
// so a reader stuck in a slow drive read may outlive the stream safely.
struct CdStream::Shared {
  explicit Shared(std::shared_ptr<CdDisc> d)
      : disc(std::move(d)), position(disc->Tracks().front().first_lsn) {}

  std::shared_ptr<CdDisc> disc;
  std::mutex mutex;
  std::condition_variable wake;
  bool quit = false;
  bool reader_done = false;

  bool playing = false;
  uint64_t generation = 0;  // changes on every play and stop: drops stale reads
  int position;
  int read_lsn = 0, end_lsn = 0, rewind_lsn = 0;

  std::vector<uint8_t> ring = std::vector<uint8_t>(size_t{kRingSectors} * kCdSectorBytes);
  int ring_lsn[kRingSectors] = {};
  int head = 0, count = 0, head_offset = 0;

  void ClearRing() { head = count = head_offset = 0; }
  bool WantsData() const { return playing && read_lsn < end_lsn && count < kRingSectors; }

  // Moves read_lsn past data tracks and gaps; returns the audio track to
  // read from, or null when nothing is left before end_lsn.
  const CdTrack* NextAudioTrack() {
    for (;;) {
      if (read_lsn >= end_lsn) return nullptr;
      const CdTrack* track = CdTrackAt(disc->Tracks(), read_lsn);
      if (track && track->audio) return track;
      int next = end_lsn;
      for (const CdTrack& t : disc->Tracks()) {
        if (track ? t.first_lsn >= track->end_lsn : t.first_lsn > read_lsn) {
          next = std::min(next, t.first_lsn);
          break;
        }
      }
      read_lsn = std::min(next, end_lsn);
    }
  }

  void Push(const uint8_t* sectors, int first_lsn, int n) {
    for (int i = 0; i < n; ++i) {
      const int slot = (head + count) % kRingSectors;
      std::memcpy(&ring[size_t(slot) * kCdSectorBytes], sectors + size_t(i) * kCdSectorBytes,
                  kCdSectorBytes);
      ring_lsn[slot] = first_lsn + i;
      ++count;
    }
  }
};

CdStream::CdStream(std::shared_ptr<CdDisc> disc)
    : shared_(std::make_shared<Shared>(std::move(disc))), reader_(ReaderLoop, shared_) {}

CdStream::~CdStream() {
  std::unique_lock<std::mutex> lock(shared_->mutex);
  shared_->quit = true;
  shared_->wake.notify_all();
  // A drive read can hang for long on a damaged disc; the saver must not.
  const bool done = shared_->wake.wait_for(lock, std::chrono::milliseconds(500),
                                           [this] { return shared_->reader_done; });
  lock.unlock();
  if (done) reader_.join();
  else reader_.detach();
}

void CdStream::ReaderLoop(std::shared_ptr<Shared> s) {
  std::vector<uint8_t> buffer(size_t{kReadChunk} * kCdSectorBytes);
  std::unique_lock<std::mutex> lock(s->mutex);
  for (;;) {
    s->wake.wait(lock, [&] { return s->quit || s->WantsData(); });
    if (s->quit) break;
    const CdTrack* track = s->NextAudioTrack();
    if (!track) continue;
    const int lsn = s->read_lsn;
    const int n = std::min({kReadChunk, s->end_lsn - lsn, track->end_lsn - lsn, kRingSectors - s->count});
    const uint64_t generation = s->generation;
    lock.unlock();
    // A read past the end of a shrunken image can report success without
    // filling anything; it must then play silence, not the previous chunk.
    std::fill(buffer.begin(), buffer.end(), 0);
    const bool ok = s->disc->ReadAudio(lsn, n, buffer.data());
    lock.lock();
    if (generation != s->generation) continue;  // stopped or restarted meanwhile
    if (!ok) std::fill(buffer.begin(), buffer.end(), 0);  // unreadable: silence
    s->Push(buffer.data(), lsn, n);
    s->read_lsn = lsn + n;
  }
  s->reader_done = true;
  s->wake.notify_all();
}

void CdStream::Play(int from_lsn, int end_lsn, int rewind_lsn) {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  Shared& s = *shared_;
  ++s.generation;
  s.ClearRing();
  s.playing = true;
  s.read_lsn = s.position = from_lsn;
  s.end_lsn = end_lsn;
  s.rewind_lsn = rewind_lsn;
  s.wake.notify_all();
}

void CdStream::Stop() {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  ++shared_->generation;
  shared_->ClearRing();
  shared_->playing = false;
}

bool CdStream::Playing() const {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  return shared_->playing;
}

int CdStream::Position() const {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  return shared_->position;
}

void CdStream::MixInto(uint8_t* stream, int len) {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  Shared& s = *shared_;
  if (!s.playing) return;
  int done = 0;
  while (done < len && s.count > 0) {
    const int take = std::min(len - done, kCdSectorBytes - s.head_offset);
    AddSamples(stream + done, &s.ring[size_t(s.head) * kCdSectorBytes + size_t(s.head_offset)], take);
    done += take;
    s.head_offset += take;
    if (s.head_offset == kCdSectorBytes) {
      s.head = (s.head + 1) % kRingSectors;
      --s.count;
      s.head_offset = 0;
    }
  }
  s.position = s.count > 0 ? s.ring_lsn[s.head] : s.read_lsn;
  if (s.count == 0 && s.read_lsn >= s.end_lsn) {
    s.playing = false;
    s.position = s.rewind_lsn;
  }
  s.wake.notify_all();
}

}  // namespace oruna
