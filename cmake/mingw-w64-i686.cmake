# Cross-compiling for 32-bit Windows with Debian's MinGW-w64. The tests run under Wine's 32-bit
# loader (Debian's wine32), which machines without 32-bit emulation cannot have.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(BRACKWATER_MINGW i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR env BRACKWATER_WINE=/usr/lib/wine/wine
    ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run)
