# The Windows Installer package of a Windows build (make windows-package),
# made by Debian's wixl from packaging/windows/Viruzedi.wxs:
#  - the 32-bit build: Viruzedi-VERSION-x86.msi, its own programs;
#  - the 64-bit build: Viruzedi-VERSION-x64.msi, its own programs and the
#    32-bit build's (VIRUZEDI_WIN32_BUILD), which is packaged first.
# The programs go into the package without their debugging information
# (bin/ keeps it, for the tests and the debugger), as package/files64 or
# package/files32. package/make-package VERSION OUTPUT is the one command
# line that makes a package of those files: the build runs it with the
# component's version, the tests with a higher one to upgrade.
# wixl is looked for when a package is made, not at configure time.

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(package_bits 64)
  set(package_target x64)
else()
  set(package_bits 32)
  set(package_target x86)
endif()
set(package_dir ${CMAKE_BINARY_DIR}/package)
set(package_files ${package_dir}/files${package_bits})

# The automation identity that the package registers: base/Identity.h is
# the one place where it is written.
function(viruzedi_identity name variable)
  file(STRINGS ${CMAKE_SOURCE_DIR}/base/Identity.h line REGEX " k${name}(\\[\\])? = ")
  if(NOT line MATCHES " k${name}(\\[\\])? = \"?([^\"\\;]+)")
    message(FATAL_ERROR "base/Identity.h: no k${name}")
  endif()
  set(${variable} "${CMAKE_MATCH_2}" PARENT_SCOPE)
endfunction()
set(identity_defines "")
foreach(name ClassId ClassName ProgId TypeLibraryId TypeLibraryName TypeLibraryMajor
             TypeLibraryMinor InterfaceId InterfaceName ComponentFileName)
  viruzedi_identity(${name} ${name})
  string(APPEND identity_defines "  <?define ${name} = ${${name}} ?>\n")
endforeach()
string(APPEND identity_defines
       "  <?define TypeLibraryVersion = ${TypeLibraryMajor}.${TypeLibraryMinor} ?>\n")
file(CONFIGURE OUTPUT ${package_dir}/Identity.wxi CONTENT
"<?xml version=\"1.0\" encoding=\"utf-8\"?>
<!-- Made from base/Identity.h by cmake/WindowsPackage.cmake. -->
<Include>
${identity_defines}</Include>
")

# The programs as packaged: strip writes each as a new file, so the build's
# own stays whole.
set(packaged_files)
foreach(entry Viruzedi11600:Viruzedi11600.dll viruzedi-cli:viruzedi.exe doduri:DO_Duri.exe
              zirav:ZiRav.dll)
  string(REPLACE ":" ";" entry ${entry})
  list(GET entry 0 target)
  list(GET entry 1 name)
  add_custom_command(OUTPUT ${package_files}/${name}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${package_files}
    COMMAND ${VIRUZEDI_MINGW_TRIPLET}-strip -o ${package_files}/${name} $<TARGET_FILE:${target}>
    DEPENDS ${target}
    COMMENT "${name} for the package, without debugging information"
    VERBATIM)
  list(APPEND packaged_files ${package_files}/${name})
endforeach()
# Windows' Notepad before Windows 10 shows a file of bare LFs as one line.
configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/viruzedi.conf.esempio
               ${package_dir}/viruzedi.conf.esempio @ONLY NEWLINE_STYLE CRLF)

if(package_target STREQUAL x64)
  set(VIRUZEDI_WIN32_BUILD ${CMAKE_SOURCE_DIR}/build-win32 CACHE PATH
      "The 32-bit Windows build whose programs the 64-bit package holds too")
  file(CREATE_LINK ${VIRUZEDI_WIN32_BUILD}/package/files32 ${package_dir}/files32 SYMBOLIC)
  foreach(name Viruzedi11600.dll viruzedi.exe DO_Duri.exe ZiRav.dll)
    list(APPEND packaged_files ${package_dir}/files32/${name})
  endforeach()
endif()

# make-package VERSION OUTPUT. Windows Installer compares the first three
# numbers of a version; the next build number (NextVersion) ends the range that
# counts as the same version.
set(make_package ${package_dir}/make-package)
set(wxs ${CMAKE_SOURCE_DIR}/packaging/windows/Viruzedi.wxs)
file(CONFIGURE OUTPUT ${make_package} @ONLY CONTENT [=[
#!/bin/sh
# make-package VERSION OUTPUT: the Windows Installer package (@package_target@)
# of the programs in this folder, at VERSION (MAJOR.MINOR.BUILD). Written by
# cmake/WindowsPackage.cmake.
set -eu
if [ $# -ne 2 ]; then
  echo "usage: make-package VERSION OUTPUT" >&2
  exit 2
fi
version=$1
case $2 in /*) output=$2 ;; *) output=$(pwd)/$2 ;; esac
command -v wixl >/dev/null 2>&1 ||
  { echo "make-package: wixl is not installed (make windows-package installs it)" >&2; exit 1; }
major=${version%%.*} rest=${version#*.}
minor=${rest%%.*} build=${rest#*.}
# wixl 0.101 finds the files by paths relative to where it runs.
cd "$(dirname "$0")"
exec wixl -a @package_target@ -D Target=@package_target@ -D Version="$version" \
  -D NextVersion="$major.$minor.$((build + 1))" -I . -o "$output" "@wxs@"
]=])

set(package ${CMAKE_BINARY_DIR}/Viruzedi-${VIRUZEDI_VERSION_TEXT}-${package_target}.msi)
add_custom_command(OUTPUT ${package}
  COMMAND /bin/sh ${make_package} ${VIRUZEDI_VERSION_TEXT} ${package}
  DEPENDS ${packaged_files} ${package_dir}/viruzedi.conf.esempio ${package_dir}/Identity.wxi
          ${wxs} ${CMAKE_SOURCE_DIR}/packaging/windows/Programs.wxi ${make_package}
  COMMENT "Windows Installer package Viruzedi-${VIRUZEDI_VERSION_TEXT}-${package_target}.msi"
  VERBATIM)
add_custom_target(windows-package DEPENDS ${package})
