# Cross-build for 64-bit Windows with MinGW-w64. The POSIX-threads variant of
# the compiler is needed: the win32 one has no std::thread or std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The programs run from the build tree under Wine (ctest, the Wine checks).
find_program(KT7_WINE wine)
if(KT7_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KT7_WINE})
endif()

# One .exe with nothing beside it: the C++ runtime and winpthreads inside.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -s")

# -O2 as in the Linux build: GCC 12 at -O3 warns falsely (-Wrestrict) inside
# std::string, and every warning is an error here.
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "")
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "")
