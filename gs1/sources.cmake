# Sources of the component from gs1/: every .cc file of the folder. The GS1
# element string parser and its table of AIs use base/ alone; readerprog/
# and the command build on them.
file(GLOB gs1_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/gs1/*.cc)
target_sources(viruzedi-objects PRIVATE ${gs1_sources})
