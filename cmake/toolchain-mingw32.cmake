# Cross build of the 32-bit Windows plug-in with Debian's g++-mingw-w64-i686:
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw32.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(ADAPTIVE_MINGW_PREFIX i686-w64-mingw32)
# The win32 thread model: the library starts no threads, and this variant of
# the runtime needs no winpthread DLL beside the plug-in.
find_program(CMAKE_C_COMPILER NAMES ${ADAPTIVE_MINGW_PREFIX}-gcc-win32 ${ADAPTIVE_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${ADAPTIVE_MINGW_PREFIX}-g++-win32 ${ADAPTIVE_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${ADAPTIVE_MINGW_PREFIX}-windres)
find_program(ADAPTIVE_MINGW_OBJDUMP NAMES ${ADAPTIVE_MINGW_PREFIX}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${ADAPTIVE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
