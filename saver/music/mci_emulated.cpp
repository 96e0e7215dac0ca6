// Linux: the media-control service, emulated. It understands the command
// strings the music player sends and answers as the Windows service does:
// 0 and a reply, or an MCI error number. Devices: "cdaudio", and one MPEG
// video file opened under an alias.
#include "mci_emulated.h"

#include <strings.h>

#include "mci_command.h"
#include "mci_devices.h"
#include "mci_errors.h"

namespace oruna {
namespace {

bool SameName(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

class MciEmulated final : public MediaControl {
 public:
  uint32_t SendString(const std::string& command, std::string* reply, size_t capacity) override {
    MciRequest request;
    std::string answer;
    uint32_t result = MCI_Parse(command, &request);
    if (result == 0) result = Dispatch(request, &answer);
    if (reply) {
      reply->clear();
      if (result == 0 && capacity > 0) *reply = answer.substr(0, capacity - 1);
    }
    return result;
  }

 private:
  bool IsCd(const MciRequest& r) const { return !r.device_quoted && SameName(r.device, "cdaudio"); }
  bool IsAlias(const MciRequest& r) const { return !alias_.empty() && SameName(r.device, alias_); }

  uint32_t Dispatch(const MciRequest& request, std::string* answer) {
    if (request.verb == MciVerb::kOpen) return Open(request);
    if (IsCd(request)) return cd_.Handle(request, answer);
    if (!IsAlias(request)) return kMciErrInvalidDeviceName;
    const uint32_t result = mp3_.Handle(request, answer);
    if (!mp3_.IsOpen()) alias_.clear();
    return result;
  }

  uint32_t Open(const MciRequest& request) {
    if (IsCd(request)) {
      if (!request.type.empty() || !request.alias.empty()) return kMciErrUnsupportedFunction;
      return cd_.Open();
    }
    if (request.type.empty()) return kMciErrExtensionNotFound;
    if (!SameName(request.type, "MPEGVideo")) return kMciErrCannotLoadDriver;
    if (request.alias.empty()) return kMciErrUnsupportedFunction;
    // One alias at a time: the mixer has a single music stream.
    if (SameName(request.alias, "cdaudio") || (!alias_.empty() && SameName(request.alias, alias_)))
      return kMciErrDuplicateAlias;
    if (!alias_.empty()) return kMciErrDeviceOpen;
    const uint32_t result = mp3_.Open(request.device);
    if (result == 0) alias_ = request.alias;
    return result;
  }

  CdAudioDevice cd_;
  Mp3AliasDevice mp3_;
  std::string alias_;  // empty: no file open
};

}  // namespace

MediaControl* MediaControl_CreateEmulated() { return new MciEmulated; }

}  // namespace oruna
