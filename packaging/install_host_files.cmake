# Run by `cmake --install` (and by CPack): writes the files through which the
# screen-saver hosts list and start Oruna, and the menu entry of its settings.
# They name installed paths, so they are written now, when the final prefix
# is known (`--prefix` may differ from the one the build was configured with);
# DESTDIR only moves where they land.
set(prefix "${CMAKE_INSTALL_PREFIX}")
set(ORUNA_PROGRAM_DIR "${prefix}/lib/oruna")
# XScreenSaver's folder of display modes; MATE also starts its themes from there.
set(ORUNA_HACK "${prefix}/libexec/xscreensaver/oruna")

function(oruna_write_host_file template destination)
  set(target "$ENV{DESTDIR}${destination}")
  message(STATUS "Installing: ${target}")
  configure_file("${CMAKE_CURRENT_LIST_DIR}/${template}" "${target}" @ONLY ${ARGN})
  # Listed in install_manifest.txt like the files installed by rule.
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${target}")
  set(CMAKE_INSTALL_MANIFEST_FILES "${CMAKE_INSTALL_MANIFEST_FILES}" PARENT_SCOPE)
endfunction()

oruna_write_host_file(oruna-hack.in "${ORUNA_HACK}" FILE_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# XScreenSaver's settings file for the display mode of the same name.
oruna_write_host_file(oruna.xml.in "${prefix}/share/xscreensaver/config/oruna.xml")
# MATE's theme; its id is "screensavers-oruna".
oruna_write_host_file(oruna.desktop.in "${prefix}/share/applications/screensavers/oruna.desktop")
# The menu entry that opens the settings dialog.
oruna_write_host_file(oruna-settings.desktop.in "${prefix}/share/applications/oruna-settings.desktop")
