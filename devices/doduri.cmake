# DO_Duri.exe, the reader program that the component starts from its own
# folder (hence the file name). It runs on its own, with the serial device
# code of the device library rather than the component.
add_executable(doduri
  ${CMAKE_CURRENT_SOURCE_DIR}/DoDuri/main.cc
  ${CMAKE_CURRENT_SOURCE_DIR}/DoDuri/Arguments.cc
  ${CMAKE_CURRENT_SOURCE_DIR}/DoDuri/ReaderFile.cc)
target_link_libraries(doduri PRIVATE viruzedi-device)
set_target_properties(doduri PROPERTIES OUTPUT_NAME DO_Duri.exe)
include(GNUInstallDirs)
install(TARGETS doduri RUNTIME DESTINATION ${VIRUZEDI_INSTALL_DIR})
