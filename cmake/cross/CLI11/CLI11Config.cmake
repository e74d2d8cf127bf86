# CLI11 for a cross build: the Debian package's headers without the rest of
# the host's /usr/include. A folder of the build tree holds a link to the
# headers' own folder and nothing else.
set(_cli11_headers /usr/include/CLI)
if(NOT EXISTS ${_cli11_headers}/CLI.hpp)
  set(CLI11_FOUND FALSE)
  set(CLI11_NOT_FOUND_MESSAGE "CLI11 headers not found in ${_cli11_headers} (package libcli11-dev)")
  return()
endif()
set(_cli11_root ${CMAKE_BINARY_DIR}/cli11-include)
if(NOT EXISTS ${_cli11_root}/CLI)
  file(MAKE_DIRECTORY ${_cli11_root})
  file(CREATE_LINK ${_cli11_headers} ${_cli11_root}/CLI SYMBOLIC)
endif()
if(NOT TARGET CLI11::CLI11)
  add_library(CLI11::CLI11 INTERFACE IMPORTED)
  set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${_cli11_root})
endif()
set(CLI11_FOUND TRUE)
