# Sources of the component from base/: every .cc file of the folder.
file(GLOB base_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/base/*.cc)
target_sources(viruzedi PRIVATE ${base_sources})
