# libZiRav.so, the infrared link library. It runs in the component's process
# but is loaded on its own (dlopen), so it carries its own copy of the serial
# device code instead of depending on the component's library, and shows
# only its four C functions.
add_library(zirav SHARED
  ${CMAKE_CURRENT_SOURCE_DIR}/ZiRav/ZiRav.cc
  ${CMAKE_SOURCE_DIR}/platform/posix/SerialDevice.cc
  ${CMAKE_SOURCE_DIR}/base/AutomationError.cc)
target_include_directories(zirav PRIVATE ${CMAKE_SOURCE_DIR})
set_target_properties(zirav PROPERTIES
  OUTPUT_NAME ZiRav
  CXX_VISIBILITY_PRESET hidden
  VISIBILITY_INLINES_HIDDEN ON)
include(GNUInstallDirs)
install(TARGETS zirav LIBRARY DESTINATION ${VIRUZEDI_INSTALL_DIR})
