# Sources of what the operations share, from operation/: every .cc file of
# the folder.
file(GLOB operation_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/operation/*.cc)
target_sources(viruzedi-objects PRIVATE ${operation_sources})
