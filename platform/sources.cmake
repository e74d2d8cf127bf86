# Sources of the component from platform/: the portable code of the folder,
# and the services of the system being built for, from its own subfolder.
# Two parts of the folder serve others and are compiled into their own
# libraries instead:
#  - what the outside programs (the infrared link library, the reader
#    program) share with the component: the serial device, set-aside files,
#    system errors and paths (viruzedi-device, which the component links);
#  - what only the tests, the simulators and the command line's demo use:
#    child processes, pseudo-terminals and their byte channel
#    (viruzedi-support).
file(GLOB platform_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/*.cc)
set(platform_device_sources ${CMAKE_SOURCE_DIR}/platform/Paths.cc)
set(platform_support_sources ${CMAKE_SOURCE_DIR}/platform/PseudoTerminalChannel.cc)
if(UNIX)
  file(GLOB platform_system_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/posix/*.cc)
  list(APPEND platform_device_sources
       ${CMAKE_SOURCE_DIR}/platform/posix/SerialDevice.cc
       ${CMAKE_SOURCE_DIR}/platform/posix/AsideFile.cc
       ${CMAKE_SOURCE_DIR}/platform/posix/SystemError.cc)
  list(APPEND platform_support_sources
       ${CMAKE_SOURCE_DIR}/platform/posix/ChildProcess.cc
       ${CMAKE_SOURCE_DIR}/platform/posix/PseudoTerminal.cc)
else()
  message(FATAL_ERROR "No platform services for ${CMAKE_SYSTEM_NAME} yet")
endif()
list(APPEND platform_sources ${platform_system_sources})
list(REMOVE_ITEM platform_sources ${platform_device_sources} ${platform_support_sources})
target_sources(viruzedi-objects PRIVATE ${platform_sources})
target_sources(viruzedi-device PRIVATE ${platform_device_sources})
target_sources(viruzedi-support PRIVATE ${platform_support_sources})
