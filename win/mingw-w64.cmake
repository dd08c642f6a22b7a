# CMake toolchain for 64-bit Windows executables, cross-built on Debian with mingw-w64
# (scripts/build-windows). Libraries for Windows are looked for only under the roots listed in
# CMAKE_FIND_ROOT_PATH (the cross compiler's own, and whatever the command line adds, such as a
# freeglut built for Windows); programs to run during the build are the host's.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
# The posix thread model: std::mutex and std::thread exist (GoogleTest needs them); the win32
# model of GCC 12 has neither.
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

list(APPEND CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Self-contained executables: the C++, GCC and thread run-time libraries linked in, so an .exe
# needs nothing beyond the DLLs every Windows has; stripped of symbols, which nothing here reads.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -s")
