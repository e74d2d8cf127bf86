# Sources of the component from infrared/: every .cc file of the folder.
file(GLOB infrared_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/infrared/*.cc)
target_sources(viruzedi-objects PRIVATE ${infrared_sources})
