# Sources of the component from serial/: every .cc file of the folder.
file(GLOB serial_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/serial/*.cc)
target_sources(viruzedi-objects PRIVATE ${serial_sources})
