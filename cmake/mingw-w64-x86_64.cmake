# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 GCC (g++-mingw-w64-x86-64-posix),
# and runs what it builds (tests, test discovery) under Wine. scripts/windows-cross.sh uses it:
#
#   cmake -S . -B out/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#     -DPARLIX_WINDOWS_DEPS=$PWD/out/windows-deps -DPARLIX_WINEPREFIX=$PWD/out/wine ...
#
# PARLIX_WINDOWS_DEPS names the folder (absolute) where GoogleTest and expat for Windows were
# installed; it is searched like the MinGW system folder.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

# The "posix" variant: its thread model gives std::thread and std::mutex.
set(PARLIX_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${PARLIX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PARLIX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${PARLIX_MINGW_PREFIX}-windres)

# Libraries and headers come from the MinGW system folder and the dependency folder only; build
# tools from the host.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${PARLIX_MINGW_PREFIX})
if(PARLIX_WINDOWS_DEPS)
  list(APPEND CMAKE_FIND_ROOT_PATH ${PARLIX_WINDOWS_DEPS})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained .exe: the C++ runtime, libgcc and winpthreads linked in, so that it needs
# only the DLLs every Windows has.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")

# Debian 12 puts no wine64 on the path; wine (the 32-bit launcher script) also runs 64-bit
# programs but asks for wine32 on every start.
find_program(PARLIX_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(PARLIX_WINE)
  # Quiet, without offers to download Mono and Gecko, and in the Wine prefix PARLIX_WINEPREFIX
  # (absolute) when given, so that running a test does not make ~/.wine.
  set(CMAKE_CROSSCOMPILING_EMULATOR env WINEDEBUG=-all "WINEDLLOVERRIDES=mscoree,mshtml=")
  if(PARLIX_WINEPREFIX)
    list(APPEND CMAKE_CROSSCOMPILING_EMULATOR WINEPREFIX=${PARLIX_WINEPREFIX})
  endif()
  list(APPEND CMAKE_CROSSCOMPILING_EMULATOR ${PARLIX_WINE})
endif()
