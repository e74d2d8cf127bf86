# The simulated reader of the reader program: its behaviour as a library,
# and the program that serves it on a pseudo-terminal (tests and the demo
# start the program).
add_library(reader-device STATIC
  ${CMAKE_CURRENT_SOURCE_DIR}/ReaderSimulator/ReaderDevice.cc)
target_link_libraries(reader-device PUBLIC viruzedi-support)

add_executable(reader-simulator ${CMAKE_CURRENT_SOURCE_DIR}/ReaderSimulator/main.cc)
target_link_libraries(reader-simulator PRIVATE viruzedi-objects reader-device CLI11::CLI11)
