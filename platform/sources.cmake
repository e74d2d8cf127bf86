# Sources of the component from platform/: the portable code of the folder,
# and the services of the system being built for, from its own subfolder.
file(GLOB platform_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/*.cc)
if(UNIX)
  file(GLOB platform_system_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/posix/*.cc)
else()
  message(FATAL_ERROR "No platform services for ${CMAKE_SYSTEM_NAME} yet")
endif()
target_sources(viruzedi PRIVATE ${platform_sources} ${platform_system_sources})
