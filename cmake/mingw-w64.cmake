# Cross-build for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64).
# Everything is linked statically so the .exe files run under Wine without any DLL
# of the toolchain beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(OCUVELL_MINGW_PREFIX x86_64-w64-mingw32)
# The posix thread model gives std::thread and std::mutex; the win32 one lacks them in GCC 12.
find_program(CMAKE_C_COMPILER NAMES ${OCUVELL_MINGW_PREFIX}-gcc-posix ${OCUVELL_MINGW_PREFIX}-gcc)
find_program(CMAKE_CXX_COMPILER NAMES ${OCUVELL_MINGW_PREFIX}-g++-posix ${OCUVELL_MINGW_PREFIX}-g++)
find_program(CMAKE_RC_COMPILER NAMES ${OCUVELL_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${OCUVELL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test executables run under Wine when CTest drives them.
# Debian's wine64 package keeps the loader out of PATH, in /usr/lib/wine.
find_program(OCUVELL_WINE NAMES wine64 wine PATHS /usr/lib/wine)
if(OCUVELL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${OCUVELL_WINE})
endif()
