# The ODBC engine: its sources and the driver manager only it uses (unixODBC
# here, the system's on Windows).
file(GLOB database_odbc_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/database/odbc/*.cc)
target_sources(${database_target} PRIVATE ${database_odbc_sources})
if(WIN32)
  target_link_libraries(${database_target} PRIVATE odbc32)
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(odbc REQUIRED IMPORTED_TARGET odbc)
  target_link_libraries(${database_target} PRIVATE PkgConfig::odbc)
endif()
