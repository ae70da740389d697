# Cross build for 32-bit Windows with Debian's mingw-w64 toolchain
# (g++-mingw-w64-i686). The posix thread model is used so that std::thread
# and friends exist; the runtime is linked in statically so that fluxart.exe
# runs on its own, with no DLLs beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(FLUXART_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${FLUXART_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${FLUXART_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${FLUXART_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${FLUXART_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
