# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (posix threads), e.g.
#   cmake --preset windows    or    cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake ...
# Programs are linked statically, so they need no runtime DLLs, and CTest runs them under wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_triple}-windres)

# Prefixes given with -DCMAKE_FIND_ROOT_PATH (GoogleTest built for Windows) are searched too.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${mingw_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The host's pkg-config files describe Linux libraries: never use them here.
set(ENV{PKG_CONFIG_LIBDIR} ${CMAKE_CURRENT_LIST_DIR}/no-pkg-config)

# A shared build (Qt itself) links its DLLs against the runtime DLLs shipped beside them.
if(NOT CORVANE_MINGW_SHARED_RUNTIME)
  set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
endif()

find_program(CORVANE_WINE wine)
if(CORVANE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CORVANE_WINE})
  # Wine shows the host's / as drive Z:, so the folders compiled into the tests go through it
  # and stay right whichever drive a test changes to.
  set(CORVANE_HOST_ROOT "Z:")
endif()
