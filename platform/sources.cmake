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
set(platform_device_sources ${CMAKE_SOURCE_DIR}/platform/Paths.cc
    ${CMAKE_SOURCE_DIR}/platform/LineSettings.cc ${CMAKE_SOURCE_DIR}/platform/AsideNames.cc)
set(platform_support_sources ${CMAKE_SOURCE_DIR}/platform/PseudoTerminalChannel.cc)
if(UNIX)
  file(GLOB platform_system_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/posix/*.cc)
  list(APPEND platform_device_sources
       ${CMAKE_SOURCE_DIR}/platform/posix/SerialDevice.cc
       ${CMAKE_SOURCE_DIR}/platform/posix/AsideFile.cc
       ${CMAKE_SOURCE_DIR}/platform/posix/SystemError.cc
       ${CMAKE_SOURCE_DIR}/platform/posix/StopHold.cc
       ${CMAKE_SOURCE_DIR}/platform/posix/ProgramArguments.cc)
  list(APPEND platform_support_sources
       ${CMAKE_SOURCE_DIR}/platform/posix/ChildProcess.cc
       ${CMAKE_SOURCE_DIR}/platform/posix/PseudoTerminal.cc)
elseif(WIN32)
  # No pseudo-terminals on Windows: the support library has child processes
  # only, and what runs on pseudo-terminals (the simulators, the demo) is
  # not built there.
  file(GLOB platform_system_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/win32/*.cc)
  list(APPEND platform_device_sources
       ${CMAKE_SOURCE_DIR}/platform/win32/SerialDevice.cc
       ${CMAKE_SOURCE_DIR}/platform/win32/AsideFile.cc
       ${CMAKE_SOURCE_DIR}/platform/win32/FileHandles.cc
       ${CMAKE_SOURCE_DIR}/platform/win32/SystemError.cc
       ${CMAKE_SOURCE_DIR}/platform/win32/StopHold.cc
       ${CMAKE_SOURCE_DIR}/platform/win32/ProgramArguments.cc)
  list(REMOVE_ITEM platform_sources ${platform_support_sources})
  set(platform_support_sources ${CMAKE_SOURCE_DIR}/platform/win32/ChildProcess.cc)
else()
  message(FATAL_ERROR "No platform services for ${CMAKE_SYSTEM_NAME} yet")
endif()
list(APPEND platform_sources ${platform_system_sources})
list(REMOVE_ITEM platform_sources ${platform_device_sources} ${platform_support_sources})
target_sources(viruzedi-objects PRIVATE ${platform_sources})
target_sources(viruzedi-device PRIVATE ${platform_device_sources})
target_sources(viruzedi-support PRIVATE ${platform_support_sources})
