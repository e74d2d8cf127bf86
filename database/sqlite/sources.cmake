# The SQLite engine: its sources and the library only it uses.
find_package(SQLite3 REQUIRED)
file(GLOB database_sqlite_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/database/sqlite/*.cc)
target_sources(${database_target} PRIVATE ${database_sqlite_sources})
target_link_libraries(${database_target} PRIVATE SQLite::SQLite3)
