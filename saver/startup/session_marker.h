// Session markers: the single-instance rule without window titles. A run
// holds the marker "Oruna_Main" and the settings dialog "<Oruna>" for as
// long as it lives, whatever display it shows on, so that a run on X11 and
// a dialog on Wayland (or the other way round) of the same user exclude
// each other as the two windows' titles do on one X display.
// Limits: per user and machine (the markers live beside the user's private
// exchange folder, see texture_files.h), not per display: two sessions of
// one user at once share them. The kernel drops a marker when its holder
// ends in any way, so a crashed run leaves none behind.
// Depends on: Linux open file description locks (session_marker_posix.cpp).
#pragma once
#include <memory>
#include <string>

namespace oruna {

class SessionMarker {
 public:
  // Takes the marker `name` for this process. Null with `taken` set when
  // another process holds it; null when there is nowhere to keep markers
  // (no trusted folder), in which case nothing is refused.
  static std::unique_ptr<SessionMarker> Take(const std::string& name, bool& taken);
  // True while some process holds `name`; asking takes nothing, so a look-up
  // never makes another program's Take fail.
  static bool Held(const std::string& name);

  ~SessionMarker();
  SessionMarker(const SessionMarker&) = delete;
  SessionMarker& operator=(const SessionMarker&) = delete;

 private:
  explicit SessionMarker(int fd) : fd_(fd) {}
  int fd_;
};

// The marker file's name for `name`: letters, digits and '_' as they are,
// any other byte as %XX, then ".marker" ("Oruna_Main" -> "Oruna_Main.marker",
// "<Oruna>" -> "%3COruna%3E.marker"), so every name gets a file of its own.
std::string SessionMarkerFileName(const std::string& name);

}  // namespace oruna
