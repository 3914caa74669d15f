# Cross-compiling for 64-bit Windows with Debian's MinGW-w64. The POSIX-thread flavour of the
# compilers carries std::thread, which the file writer uses.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(BRACKWATER_MINGW x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
# The tests run under Wine; 64-bit programs are the ones this kind of machine can run.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run)
