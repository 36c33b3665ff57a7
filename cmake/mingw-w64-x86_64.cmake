# Cross build for 64-bit Windows with Debian's MinGW-w64 compilers (package
# g++-mingw-w64-x86-64-posix). The posix thread model gives the C++ standard
# library its threads; everything is linked statically, so the programs run
# on a bare Windows installation with no runtime DLL beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZORBEL_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZORBEL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZORBEL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ZORBEL_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZORBEL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs are run through Wine when CMake needs to run one.
find_program(ZORBEL_WINE64 wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(ZORBEL_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZORBEL_WINE64})
endif()
