# The simulated portable terminal: its behaviour as a library, and the
# program that serves it on a pseudo-terminal (tests and the demo start the
# program).
add_library(terminal-simulator-lib STATIC
  ${CMAKE_CURRENT_SOURCE_DIR}/TerminalSimulator/Terminal.cc)
target_link_libraries(terminal-simulator-lib PUBLIC viruzedi-support)

add_executable(terminal-simulator ${CMAKE_CURRENT_SOURCE_DIR}/TerminalSimulator/main.cc)
target_link_libraries(terminal-simulator PRIVATE viruzedi-objects terminal-simulator-lib CLI11::CLI11)
