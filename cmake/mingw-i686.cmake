# Cross toolchain: 32-bit Windows with MinGW-w64 (posix thread model).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TOOLCHAIN_PREFIX i686-w64-mingw32)
# /usr/bin/wine picks the 32-bit loader whenever it is installed.
set(VANTREL_WINE_NAMES wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
