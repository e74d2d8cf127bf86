# The PostgreSQL engine: its sources and the client library only it uses.
find_package(PostgreSQL REQUIRED)
file(GLOB database_postgresql_sources CONFIGURE_DEPENDS
     ${CMAKE_SOURCE_DIR}/database/postgresql/*.cc)
target_sources(${database_target} PRIVATE ${database_postgresql_sources})
target_link_libraries(${database_target} PRIVATE PostgreSQL::PostgreSQL)
