# melodek_version_resource(<target> <file name> <description>): gives a
# program or DLL of the Windows build its version resource, made from the
# project version.
function(melodek_version_resource target file description)
  if(NOT WIN32)
    return()
  endif()
  set(MELODEK_VERSION_FILE ${file})
  set(MELODEK_VERSION_DESCRIPTION ${description})
  get_filename_component(MELODEK_VERSION_NAME ${file} NAME_WE)
  if(file MATCHES "\\.dll$")
    set(MELODEK_VERSION_FILETYPE VFT_DLL)
  else()
    set(MELODEK_VERSION_FILETYPE VFT_APP)
  endif()
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
