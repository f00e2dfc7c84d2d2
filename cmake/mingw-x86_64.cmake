# Cross toolchain: 64-bit Windows with MinGW-w64 (posix thread model).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
# The 64-bit loader by name: /usr/bin/wine prefers the 32-bit one when both
# are installed.
set(VANTREL_WINE_NAMES wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
