# Sources of the bottom folder base/: every .cc file of the folder. They use
# nothing else, and the outside programs need them as much as the component
# does (the error type, text helpers), so they are compiled once, into the
# device library that the component links.
file(GLOB base_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/base/*.cc)
target_sources(viruzedi-device PRIVATE ${base_sources})
