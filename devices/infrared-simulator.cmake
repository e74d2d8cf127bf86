# The simulated infrared reader: its behaviour as a library, and the program
# that serves it on a pseudo-terminal (tests and the demo start the program).
add_library(infrared-reader STATIC
  ${CMAKE_CURRENT_SOURCE_DIR}/InfraredSimulator/InfraredReader.cc)
target_include_directories(infrared-reader PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(infrared-reader PUBLIC viruzedi)

add_executable(infrared-simulator ${CMAKE_CURRENT_SOURCE_DIR}/InfraredSimulator/main.cc)
target_link_libraries(infrared-simulator PRIVATE infrared-reader CLI11::CLI11)
set_target_properties(infrared-simulator PROPERTIES BUILD_RPATH "$ORIGIN")
