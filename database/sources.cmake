# Sources of the component from database/: every .cc file of the folder, and
# each engine's own folder, which states what that engine links.
if(TARGET viruzedi-objects)
  set(database_target viruzedi-objects)
else()
  set(database_target viruzedi)
endif()
file(GLOB database_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/database/*.cc)
target_sources(${database_target} PRIVATE ${database_sources})
include(${CMAKE_SOURCE_DIR}/database/sqlite/sources.cmake)
