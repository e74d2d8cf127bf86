# The Debian packages (`make package`): viruzedi, with the command, its
# library, the infrared link library and the reader program; libviruzedi-dev,
# with what a host program builds against (cmake/PublicLibrary.cmake). The
# first holds the files where install() puts them under /usr, an example
# machine settings file kept as a conffile, and a man page made from the
# command's own help, so that the page never says what the command does not.
file(STRINGS ${CMAKE_SOURCE_DIR}/include/viruzedi/Version.h version_line
     REGEX "kVersion\\[\\] = \"[0-9.]+\"")
string(REGEX MATCH "[0-9]+\\.[0-9]+\\.[0-9]+" VIRUZEDI_VERSION "${version_line}")

set(man_page ${CMAKE_BINARY_DIR}/man/viruzedi.1)
add_custom_command(OUTPUT ${man_page}.gz
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/man-page $<TARGET_FILE:viruzedi-cli> ${VIRUZEDI_VERSION}
          ${man_page}
  DEPENDS viruzedi-cli ${CMAKE_CURRENT_LIST_DIR}/man-page
  VERBATIM)
add_custom_target(viruzedi-man ALL DEPENDS ${man_page}.gz)
install(FILES ${man_page}.gz DESTINATION share/man/man1)

# Absolute: the machine's settings file is always /etc/viruzedi.conf.
# A component of its own, so that an install of the library and its headers
# into a prefix of one's own (cmake --install --component) leaves /etc alone.
install(FILES ${CMAKE_SOURCE_DIR}/packaging/viruzedi.conf DESTINATION /etc COMPONENT settings)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME viruzedi)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL viruzedi settings dev)
set(CPACK_COMPONENT_VIRUZEDI_GROUP viruzedi)
set(CPACK_COMPONENT_SETTINGS_GROUP viruzedi)
set(CPACK_COMPONENT_DEV_GROUP dev)
set(CPACK_DEBIAN_VIRUZEDI_PACKAGE_NAME viruzedi)
set(CPACK_DEBIAN_DEV_PACKAGE_NAME libviruzedi-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "viruzedi (= ${VIRUZEDI_VERSION})")
set(CPACK_COMPONENT_DEV_DESCRIPTION
    "headers and pkg-config file of the viruzedi library\n Lets a C++ program built with pkg-config --cflags --libs viruzedi move\n barcode reads into a database through the viruzedi library.")
set(CPACK_PACKAGE_VERSION ${VIRUZEDI_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "Viruzedi developers <viruzedi@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "moves barcode reads from portable readers into a database")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# The engines' client libraries (SQLite, libpq, unixODBC) come in through
# what the files link, not through a list kept by hand.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_VIRUZEDI_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/packaging/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
