# Toolchain for Qt for Windows and for the program built against it, with Debian's mingw-w64.
# The posix thread model is named explicitly: the default alternative is the win32 model,
# which has no std::thread in GCC 12 and which Qt cannot use. scripts/qt-windows.sh copies
# this file into the Qt prefix it builds, and Qt's qt-cmake chain-loads that copy.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(OCUVELL_MINGW_PREFIX x86_64-w64-mingw32)
find_program(CMAKE_C_COMPILER NAMES ${OCUVELL_MINGW_PREFIX}-gcc-posix REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${OCUVELL_MINGW_PREFIX}-g++-posix REQUIRED)
find_program(CMAKE_AR NAMES ${OCUVELL_MINGW_PREFIX}-gcc-ar-posix REQUIRED)
find_program(CMAKE_RANLIB NAMES ${OCUVELL_MINGW_PREFIX}-gcc-ranlib-posix REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${OCUVELL_MINGW_PREFIX}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${OCUVELL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
