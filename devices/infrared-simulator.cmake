# The simulated infrared reader: its behaviour as a library, and the program
# that serves it on a pseudo-terminal (tests and the demo start the program).
add_library(infrared-reader STATIC
  ${CMAKE_CURRENT_SOURCE_DIR}/InfraredSimulator/InfraredReader.cc)
target_link_libraries(infrared-reader PUBLIC viruzedi-support)

add_executable(infrared-simulator ${CMAKE_CURRENT_SOURCE_DIR}/InfraredSimulator/main.cc)
target_link_libraries(infrared-simulator PRIVATE viruzedi-objects infrared-reader CLI11::CLI11)
