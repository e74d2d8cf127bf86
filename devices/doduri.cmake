# DO_Duri.exe, the reader program that the component starts from its own
# folder (hence the file name). It runs on its own, with the serial device
# code of the device library rather than the component.
add_executable(doduri
  ${CMAKE_CURRENT_SOURCE_DIR}/DoDuri/main.cc
  ${CMAKE_CURRENT_SOURCE_DIR}/DoDuri/Arguments.cc
  ${CMAKE_CURRENT_SOURCE_DIR}/DoDuri/ReaderFile.cc)
target_link_libraries(doduri PRIVATE viruzedi-device)
if(WIN32)
  set_target_properties(doduri PROPERTIES OUTPUT_NAME DO_Duri)  # .exe is the system's own
else()
  set_target_properties(doduri PROPERTIES OUTPUT_NAME DO_Duri.exe)
endif()
include(GNUInstallDirs)
install(TARGETS doduri RUNTIME DESTINATION ${VIRUZEDI_INSTALL_DIR})
if(WIN32)
  viruzedi_version_resource(doduri DO_Duri.exe "Programma del lettore: scarica le letture nel file del lettore")
endif()
