# The version resource of a Windows program: the project's one version, the program's name and
# what it is, as Explorer's properties and the installer's list of programs show them.
string(REPLACE "." "," LOADER_VERSION_COMMAS "${LOADER_VERSION}.0")
function(loader_version_resource target description)
  set(LOADER_NAME ${target})
  set(LOADER_DESCRIPTION ${description})
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  # The texts are UTF-8.
  set_source_files_properties(${rc} PROPERTIES COMPILE_FLAGS "--codepage=65001")
  target_sources(${target} PRIVATE ${rc})
endfunction()
