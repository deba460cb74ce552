# Cross-builds the Windows programs on Debian with MinGW-w64 (g++-mingw-w64-x86-64-posix):
#   cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# Everything is linked statically, so that the programs import only system DLLs (KERNEL32,
# msvcrt, WS2_32, ...) and run from any folder. Programs the build or the tests run go through
# Wine, in a prefix of the build folder's own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(korrin_mingw x86_64-w64-mingw32)
# The posix thread model: std::thread and std::mutex work without extra headers.
set(CMAKE_C_COMPILER ${korrin_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${korrin_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${korrin_mingw}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${korrin_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# A program for users carries no symbols.
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")

if(EXISTS /usr/lib/wine/wine64)
  set(CMAKE_CROSSCOMPILING_EMULATOR sh ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh ${CMAKE_BINARY_DIR}/wine-prefix)
endif()
