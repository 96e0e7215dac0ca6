# Resources of the Windows programs: version information made from the
# project's version, and application manifests. The publisher and copyright
# are also what the installer shows.
set(ORUNA_PUBLISHER "Oruna Project")
set(ORUNA_COPYRIGHT "Copyright (C) Oruna Project")

# Adds version information to `target`: its description (what Task Manager
# shows for the process) and its file name.
function(oruna_version_resource target description file_name)
  set(ORUNA_FILE_DESCRIPTION "${description}")
  set(ORUNA_FILE_NAME "${file_name}")
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/version_win32.rc.in ${script} @ONLY)
  target_sources(${target} PRIVATE ${script})
endfunction()

# Embeds `manifest` as the application manifest of what links `target`
# (`scope`: PRIVATE for a program, INTERFACE for a library that brings it).
function(oruna_manifest_resource target scope manifest)
  if(MSVC)
    target_sources(${target} ${scope} ${manifest})
    return()
  endif()
  get_filename_component(name ${manifest} NAME_WE)
  set(ORUNA_MANIFEST ${manifest})
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${name}.rc)
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/manifest_win32.rc.in ${script} @ONLY)
  set_property(SOURCE ${script} APPEND PROPERTY OBJECT_DEPENDS ${manifest})
  target_sources(${target} ${scope} ${script})
endfunction()
