# Cross-compiling for 32-bit Windows with Debian's MinGW-w64. Nothing here runs the result:
# 32-bit programs need a 32-bit Wine, which machines without 32-bit emulation cannot have.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(BRACKWATER_MINGW i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
