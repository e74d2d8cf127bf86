# What both Windows targets share; mingw-x86_64.cmake and mingw-i686.cmake
# set VIRUZEDI_MINGW_TRIPLET and include this file.
#
# The POSIX-threads flavour of the compiler: the other one has no std::mutex
# or std::thread. Everything is linked statically (libgcc, libstdc++,
# winpthread), so the programs and libraries import only the system's DLLs
# and can be copied to a workstation as they are.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_VERSION 6.1)  # Windows 7: the oldest the APIs used allow

set(CMAKE_C_COMPILER ${VIRUZEDI_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VIRUZEDI_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VIRUZEDI_MINGW_TRIPLET}-windres)

# Libraries and headers come from the cross root only: a host library found
# by mistake would fail at link time at best.
set(CMAKE_FIND_ROOT_PATH /usr/${VIRUZEDI_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# CLI11 is header-only: its headers are reached through a folder of its own
# (cross/CLI11), never through the host's /usr/include, whose C library
# headers would shadow the cross compiler's.
set(CLI11_DIR ${CMAKE_CURRENT_LIST_DIR}/cross/CLI11 CACHE PATH "CLI11 headers for the cross build")

# Through ccache when it is there at build time (compiler-launcher decides
# at each compile, not once at configure time): CI builds four times.
set(CMAKE_C_COMPILER_LAUNCHER ${CMAKE_CURRENT_LIST_DIR}/compiler-launcher)
set(CMAKE_CXX_COMPILER_LAUNCHER ${CMAKE_CURRENT_LIST_DIR}/compiler-launcher)
