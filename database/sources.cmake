# Sources of the component from database/: every .cc file of the folder, and
# each engine's own folder, which states what that engine links.
set(database_target viruzedi-objects)
file(GLOB database_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/database/*.cc)
target_sources(${database_target} PRIVATE ${database_sources})
include(${CMAKE_SOURCE_DIR}/database/sqlite/sources.cmake)
include(${CMAKE_SOURCE_DIR}/database/postgresql/sources.cmake)
