// libFuzzer target: arbitrary bytes as a media-control command string. Any
// input must parse or give an error number, never crash, overread or hang;
// a command that parses must parse the same again when written out plainly,
// and positions must survive a write and read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "mci_command.h"

namespace {

using oruna::MciRequest;
using oruna::MciStatusItem;
using oruna::MciVerb;

std::string Word(const std::string& text) { return "\"" + text + "\""; }

// The request written out again, every value quoted.
std::string Rewrite(const MciRequest& r) {
  static const char* const kVerbs[] = {"open", "set", "status", "play", "stop", "close"};
  std::string out = std::string(kVerbs[static_cast<int>(r.verb)]) + " " + Word(r.device);
  switch (r.verb) {
    case MciVerb::kOpen:
      if (!r.type.empty()) out += " type " + Word(r.type);
      if (!r.alias.empty()) out += " alias " + Word(r.alias);
      break;
    case MciVerb::kSet:
      out += " time format " + Word(r.time_format);
      break;
    case MciVerb::kStatus: {
      static const char* const kItems[] = {"current track", "number of tracks", "mode", "position",
                                           "position track "};
      out += std::string(" ") + kItems[static_cast<int>(r.item)];
      if (r.item == MciStatusItem::kPositionTrack) out += std::to_string(r.track);
      break;
    }
    case MciVerb::kPlay:
      if (r.has_from) out += " from " + Word(r.from);
      if (r.has_to) out += " to " + Word(r.to);
      break;
    case MciVerb::kStop:
    case MciVerb::kClose:
      break;
  }
  return out;
}

bool Same(const MciRequest& a, const MciRequest& b) {
  return a.verb == b.verb && a.device == b.device && a.type == b.type && a.alias == b.alias &&
         a.time_format == b.time_format && a.item == b.item && a.track == b.track &&
         a.has_from == b.has_from && a.has_to == b.has_to && a.from == b.from && a.to == b.to;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  MciRequest request;
  if (oruna::MCI_Parse(text, &request) == 0) {
    // Values that are empty or would need a quote inside cannot be written back
    // as one word; everything else must come back the same.
    const std::string rewritten = Rewrite(request);
    MciRequest again;
    if (oruna::MCI_Parse(rewritten, &again) == 0) {
      again.device_quoted = request.device_quoted;
      if (!Same(request, again)) std::abort();
    }
    oruna::Tmsf position;
    if (request.has_from && oruna::MCI_ParseTmsf(request.from, &position)) {
      oruna::Tmsf back;
      if (!oruna::MCI_ParseTmsf(oruna::MCI_FormatTmsf(position), &back) || back.track != position.track ||
          back.minutes != position.minutes || back.seconds != position.seconds || back.frames != position.frames)
        std::abort();
    }
  }
  return 0;
}
