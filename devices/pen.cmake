# The simulated pen reader: its behaviour as a library, and the program that
# serves it on a pseudo-terminal (tests and the demo start the program).
add_library(pen-simulator-lib STATIC
  ${CMAKE_CURRENT_SOURCE_DIR}/PenSimulator/PenReader.cc)
target_link_libraries(pen-simulator-lib PUBLIC viruzedi-support)

add_executable(pen-simulator ${CMAKE_CURRENT_SOURCE_DIR}/PenSimulator/main.cc)
target_link_libraries(pen-simulator PRIVATE viruzedi-objects pen-simulator-lib CLI11::CLI11)
