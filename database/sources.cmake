# Sources of the component from database/: every .cc file of the folder, and
# each engine's own folder, which states what that engine links. On Windows
# every database is reached through ODBC (a file through the Access driver);
# elsewhere SQLite files and PostgreSQL servers have engines of their own and
# ODBC serves the connection strings.
set(database_target viruzedi-objects)
file(GLOB database_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/database/*.cc)
target_sources(${database_target} PRIVATE ${database_sources})
if(NOT WIN32)
  include(${CMAKE_SOURCE_DIR}/database/sqlite/sources.cmake)
  include(${CMAKE_SOURCE_DIR}/database/postgresql/sources.cmake)
endif()
include(${CMAKE_SOURCE_DIR}/database/odbc/sources.cmake OPTIONAL)
