# libZiRav.so, the infrared link library. It runs in the component's process
# but is loaded on its own (dlopen), so it carries the serial device code of
# the device library instead of depending on the component's library, and
# shows only its four C functions: nothing it takes from the device library
# is shown (--exclude-libs), whatever that library marks for the component.
add_library(zirav SHARED ${CMAKE_CURRENT_SOURCE_DIR}/ZiRav/ZiRav.cc)
target_link_libraries(zirav PRIVATE viruzedi-device)
target_link_options(zirav PRIVATE "LINKER:--exclude-libs,$<TARGET_FILE_NAME:viruzedi-device>")
set_target_properties(zirav PROPERTIES
  OUTPUT_NAME ZiRav
  CXX_VISIBILITY_PRESET hidden
  VISIBILITY_INLINES_HIDDEN ON)
if(WIN32)
  # ZiRav.dll: the export list names the four functions (and nothing of
  # the device library); no "lib" in front of the name.
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    target_sources(zirav PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/ZiRav/ZiRav32.def)
  else()
    target_sources(zirav PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/ZiRav/ZiRav.def)
  endif()
  set_target_properties(zirav PROPERTIES PREFIX "")
endif()
include(GNUInstallDirs)
install(TARGETS zirav LIBRARY DESTINATION ${VIRUZEDI_INSTALL_DIR})
if(WIN32)
  viruzedi_version_resource(zirav ZiRav.dll "Collegamento a infrarossi del lettore")
endif()
