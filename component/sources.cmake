# Sources of the component from component/: every .cc file of the folder.
file(GLOB component_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/component/*.cc)
target_sources(viruzedi-objects PRIVATE ${component_sources})
