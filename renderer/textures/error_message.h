// The renderer's only user-visible messages: modal boxes captioned "Error".
// Tests replace the sink to collect them instead.
#pragma once
#include <functional>
#include <string>

namespace oruna {

using ErrorMessageSink = std::function<void(const std::string& caption, const std::string& text)>;

// Shows `text` with the caption "Error" through the current sink.
void ShowErrorMessage(const std::string& text);

// Replaces the sink; an empty function restores the platform message box.
void SetErrorMessageSink(ErrorMessageSink sink);

// The platform's modal message box (SDL on Linux, MessageBoxA on Windows).
void PlatformMessageBox(const std::string& caption, const std::string& text);

}  // namespace oruna
