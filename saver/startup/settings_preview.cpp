// The preview decision: the window id argument and the shape of the host's window.
#include "settings_preview.h"

#include <sstream>
#include <vector>

#include "host_window.h"

namespace oruna {

std::optional<uint32_t> WindowIdArgument(const std::string& argument_text) {
  std::istringstream words(argument_text);
  std::vector<std::string> arguments;
  for (std::string word; words >> word;) arguments.push_back(word);
  for (size_t i = 0; i + 1 < arguments.size(); ++i)
    if (arguments[i] == "--window-id" || arguments[i] == "-window-id") return ParseWindowId(arguments[i + 1]);
  return std::nullopt;
}

bool IsSettingsPreview(const HostWindowShape& shape, const std::string& argument_text) {
  if (shape.covers_its_monitor) return false;
  if (!shape.top_level) return true;
  const std::optional<uint32_t> named = WindowIdArgument(argument_text);
  return named && *named == shape.window;
}

}  // namespace oruna
