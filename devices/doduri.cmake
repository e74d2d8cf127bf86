# DO_Duri.exe, the reader program that the component starts from its own
# folder (hence the file name). It runs on its own, so it carries its own
# copy of the serial device code.
add_executable(doduri
  ${CMAKE_CURRENT_SOURCE_DIR}/DoDuri/main.cc
  ${CMAKE_CURRENT_SOURCE_DIR}/DoDuri/Arguments.cc
  ${CMAKE_CURRENT_SOURCE_DIR}/DoDuri/ReaderFile.cc
  ${CMAKE_SOURCE_DIR}/platform/posix/SerialDevice.cc
  ${CMAKE_SOURCE_DIR}/platform/posix/AsideFile.cc
  ${CMAKE_SOURCE_DIR}/platform/Paths.cc
  ${CMAKE_SOURCE_DIR}/platform/posix/SystemError.cc
  ${CMAKE_SOURCE_DIR}/base/AutomationError.cc)
target_include_directories(doduri PRIVATE ${CMAKE_SOURCE_DIR})
set_target_properties(doduri PROPERTIES OUTPUT_NAME DO_Duri.exe)
include(GNUInstallDirs)
install(TARGETS doduri RUNTIME DESTINATION ${VIRUZEDI_INSTALL_DIR})
