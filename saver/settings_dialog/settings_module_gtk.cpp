// The settings dialog module's entry on Linux: GTK 3 (X11 backend, or Wayland's
// where the saver chose Wayland)
// started on the display, then the dialog shown modally. Built into
// Oruna.settings.so with the dialog, its button and GTK; nothing else of the
// module is exported.
#include <gdk/gdk.h>
#include <gtk/gtk.h>

#include "settings_dialog_entry.h"
#include "settings_module.h"
#include "settings_values.h"

extern "C" __attribute__((visibility("default"))) int oruna_show_settings_dialog(const OrunaDialogSettings* settings) {
  oruna::BGM_Kind = settings->kind;
  oruna::BGM_Track = settings->track;
  oruna::BGM_File = settings->file;
  oruna::BGM_Dir = settings->dir;

  // The saver has set GDK_BACKEND to the display it chose; anything else
  // than Wayland is X11, which the dialog was made for (its caption
  // animation draws on the X root window and is left out on Wayland).
  const char* chosen = g_getenv("GDK_BACKEND");
  gdk_set_allowed_backends(chosen != nullptr && g_str_equal(chosen, "wayland") ? "wayland" : "x11");
  if (gtk_init_check(nullptr, nullptr) == FALSE) return 0;
  oruna::ShowSettingsDialog();
  // The saver ends the process right after: what is still queued for the
  // server must reach it first.
  gdk_display_flush(gdk_display_get_default());
  return 1;
}
