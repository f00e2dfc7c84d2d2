# Shared part of the MinGW-w64 cross toolchains (posix thread model). The
# toolchain file of each target sets TOOLCHAIN_PREFIX, CMAKE_SYSTEM_PROCESSOR
# and VANTREL_WINE_NAMES, then includes this file.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER   ${TOOLCHAIN_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${TOOLCHAIN_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Tests of the cross build run under the Wine loader of the same word size.
find_program(WINE_PROGRAM NAMES ${VANTREL_WINE_NAMES} PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(WINE_PROGRAM NAMES ${VANTREL_WINE_NAMES} REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_PROGRAM})
