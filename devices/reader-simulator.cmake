# The simulated reader of the reader program: its behaviour as a library,
# and the program that serves it on a pseudo-terminal (tests and the demo
# start the program).
add_library(reader-device STATIC
  ${CMAKE_CURRENT_SOURCE_DIR}/ReaderSimulator/ReaderDevice.cc)
target_include_directories(reader-device PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(reader-device PUBLIC viruzedi)

add_executable(reader-simulator ${CMAKE_CURRENT_SOURCE_DIR}/ReaderSimulator/main.cc)
target_link_libraries(reader-simulator PRIVATE reader-device CLI11::CLI11)
set_target_properties(reader-simulator PROPERTIES BUILD_RPATH "$ORIGIN")
