# viruzedi_version_resource(TARGET FILE_NAME DESCRIPTION): gives a Windows
# program or DLL a version resource with the release of include/viruzedi/Version.h
# (kVersion), written as a .rc file of its own in the build tree and
# compiled by windres. The numbers are written into the file itself: windres
# hands definitions to the preprocessor through a shell, which drops the
# quotes of a string.
file(STRINGS ${CMAKE_SOURCE_DIR}/include/viruzedi/Version.h viruzedi_version_line REGEX "kVersion\\[\\] = ")
if(NOT viruzedi_version_line MATCHES "\"([0-9]+)\\.([0-9]+)\\.([0-9]+)\"")
  message(FATAL_ERROR "include/viruzedi/Version.h: no kVersion \"MAJOR.MINOR.PATCH\"")
endif()
set(VIRUZEDI_VERSION_NUMBERS "${CMAKE_MATCH_1},${CMAKE_MATCH_2},${CMAKE_MATCH_3},0")
set(VIRUZEDI_VERSION_TEXT "${CMAKE_MATCH_1}.${CMAKE_MATCH_2}.${CMAKE_MATCH_3}")
set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${CMAKE_SOURCE_DIR}/include/viruzedi/Version.h)

function(viruzedi_version_resource target file_name description)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    set(file_type "0x1L")  # VFT_APP
  else()
    set(file_type "0x2L")  # VFT_DLL
  endif()
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc)
  file(CONFIGURE OUTPUT ${rc} CONTENT
"#include <winver.h>

VS_VERSION_INFO VERSIONINFO
FILEVERSION ${VIRUZEDI_VERSION_NUMBERS}
PRODUCTVERSION ${VIRUZEDI_VERSION_NUMBERS}
FILEFLAGSMASK 0x3fL
FILEFLAGS 0x0L
FILEOS 0x40004L
FILETYPE ${file_type}
FILESUBTYPE 0x0L
BEGIN
  BLOCK \"StringFileInfo\"
  BEGIN
    BLOCK \"041004b0\"
    BEGIN
      VALUE \"CompanyName\", \"Viruzedi\"
      VALUE \"FileDescription\", \"${description}\"
      VALUE \"FileVersion\", \"${VIRUZEDI_VERSION_TEXT}\"
      VALUE \"InternalName\", \"${file_name}\"
      VALUE \"OriginalFilename\", \"${file_name}\"
      VALUE \"ProductName\", \"Viruzedi\"
      VALUE \"ProductVersion\", \"${VIRUZEDI_VERSION_TEXT}\"
    END
  END
  BLOCK \"VarFileInfo\"
  BEGIN
    VALUE \"Translation\", 0x410, 1200
  END
END
")
  target_sources(${target} PRIVATE ${rc})
endfunction()
