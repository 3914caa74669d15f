set(CMAKE_C_COMPILER ${BRACKWATER_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BRACKWATER_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${BRACKWATER_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${BRACKWATER_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Everything linked in, the C++ runtime and the thread library too, so that the programs run
# on a bare Windows system.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
