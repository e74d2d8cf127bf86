# Sources of the component from platform/: every .cc file of the folder.
file(GLOB platform_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/*.cc)
target_sources(viruzedi PRIVATE ${platform_sources})
