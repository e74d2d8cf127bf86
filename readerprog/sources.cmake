# Sources of the component from readerprog/: every .cc file of the folder.
file(GLOB readerprog_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/readerprog/*.cc)
target_sources(viruzedi-objects PRIVATE ${readerprog_sources})
