# The library as a host program on Linux meets it: a file named by its
# release with the major number as its SOVERSION, the headers of
# include/viruzedi/, and viruzedi.pc. The runtime files belong to the
# package viruzedi, the headers, the development link and the .pc file to
# libviruzedi-dev.
file(STRINGS ${CMAKE_SOURCE_DIR}/include/viruzedi/Version.h public_version_line
     REGEX "kVersion\\[\\] = \"[0-9.]+\"")
string(REGEX MATCH "([0-9]+)\\.[0-9]+\\.[0-9]+" VIRUZEDI_LIBRARY_VERSION "${public_version_line}")
set(VIRUZEDI_SOVERSION ${CMAKE_MATCH_1})

set_target_properties(viruzedi PROPERTIES
  CXX_VISIBILITY_PRESET hidden
  VISIBILITY_INLINES_HIDDEN ON
  VERSION ${VIRUZEDI_LIBRARY_VERSION}
  SOVERSION ${VIRUZEDI_SOVERSION})
install(TARGETS viruzedi
  LIBRARY DESTINATION ${VIRUZEDI_INSTALL_DIR} COMPONENT viruzedi
          NAMELINK_COMPONENT dev)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/include/viruzedi DESTINATION include COMPONENT dev
        FILES_MATCHING PATTERN "*.h")

# The library lives in its own folder beside libZiRav.so and DO_Duri.exe,
# which it finds next to its own file: the .pc file gives a host that folder
# for the link and as the run path. Written at install time, so that it
# names the prefix the files really land in (cmake --install --prefix, or
# the package's /usr).
install(CODE "
  set(prefix \"\${CMAKE_INSTALL_PREFIX}\")
  file(READ \"${CMAKE_SOURCE_DIR}/packaging/viruzedi.pc.in\" pc)
  string(REPLACE \"@PREFIX@\" \"\${prefix}\" pc \"\${pc}\")
  string(REPLACE \"@LIBRARY_DIR@\" \"${VIRUZEDI_INSTALL_DIR}\" pc \"\${pc}\")
  string(REPLACE \"@VERSION@\" \"${VIRUZEDI_LIBRARY_VERSION}\" pc \"\${pc}\")
  file(WRITE \"\$ENV{DESTDIR}\${prefix}/lib/pkgconfig/viruzedi.pc\" \"\${pc}\")
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${prefix}/lib/pkgconfig/viruzedi.pc\")"
  COMPONENT dev)
