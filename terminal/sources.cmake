# Sources of the component from terminal/: every .cc file of the folder.
file(GLOB terminal_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/terminal/*.cc)
target_sources(viruzedi-objects PRIVATE ${terminal_sources})
