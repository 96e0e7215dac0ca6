// The renderer's message sink: every message goes out captioned "Error",
// through the platform message box unless a test has put its own sink in.
#include "error_message.h"

#include <utility>

namespace oruna {
namespace {

ErrorMessageSink& Sink() {
  static ErrorMessageSink sink;
  return sink;
}

}  // namespace

void ShowErrorMessage(const std::string& text) {
  if (Sink()) {
    Sink()("Error", text);
  } else {
    PlatformMessageBox("Error", text);
  }
}

void SetErrorMessageSink(ErrorMessageSink sink) { Sink() = std::move(sink); }

}  // namespace oruna
