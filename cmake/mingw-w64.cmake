# Cross-building tolvane.dll for 64-bit Windows with MinGW-w64:
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# The test programs run under Wine when it is installed (see .ci/windows.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TOLVANE_MINGW_PREFIX x86_64-w64-mingw32 CACHE STRING "Prefix of the MinGW-w64 tools")
# The posix thread model (std::mutex, which GoogleTest needs); its
# threading library is linked statically like the rest of the runtime.
find_program(TOLVANE_MINGW_CXX NAMES ${TOLVANE_MINGW_PREFIX}-g++-posix ${TOLVANE_MINGW_PREFIX}-g++)
find_program(TOLVANE_MINGW_CC NAMES ${TOLVANE_MINGW_PREFIX}-gcc-posix ${TOLVANE_MINGW_PREFIX}-gcc)
set(CMAKE_C_COMPILER ${TOLVANE_MINGW_CC})
set(CMAKE_CXX_COMPILER ${TOLVANE_MINGW_CXX})
set(CMAKE_RC_COMPILER ${TOLVANE_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TOLVANE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest runs the programs through Wine when it is there.
find_program(TOLVANE_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(TOLVANE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TOLVANE_WINE})
endif()
