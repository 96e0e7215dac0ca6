// The devices behind the emulated media-control service: the CD player
// "cdaudio" and one MPEG video device opened on a file under an alias.
// Commands come from one thread (the saver's user-interface thread).
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "mci_command.h"

namespace oruna {

class CdDisc;
class CdStream;

class CdAudioDevice {
 public:
  CdAudioDevice();
  ~CdAudioDevice();
  CdAudioDevice(const CdAudioDevice&) = delete;
  CdAudioDevice& operator=(const CdAudioDevice&) = delete;

  uint32_t Open();
  bool IsOpen() const { return open_; }
  // set, status, play, stop and close addressed to "cdaudio".
  uint32_t Handle(const MciRequest& request, std::string* answer);

 private:
  uint32_t Status(const MciRequest& request, std::string* answer);
  uint32_t Play(const MciRequest& request);
  uint32_t PositionOf(const std::string& tmsf, int* lsn) const;
  void Close();
  void ForgetRemovedDisc();

  bool open_ = false;
  std::shared_ptr<CdDisc> disc_;     // null: no disc in the drive
  std::unique_ptr<CdStream> stream_;
  bool output_attached_ = false;
};

class Mp3AliasDevice {
 public:
  Mp3AliasDevice();
  ~Mp3AliasDevice();
  Mp3AliasDevice(const Mp3AliasDevice&) = delete;
  Mp3AliasDevice& operator=(const Mp3AliasDevice&) = delete;

  uint32_t Open(const std::string& path);
  bool IsOpen() const;
  // set, status, play, stop and close addressed to the alias.
  uint32_t Handle(const MciRequest& request, std::string* answer);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace oruna
