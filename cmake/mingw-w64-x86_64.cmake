# Builds 64-bit Windows programs on Debian with MinGW-w64 (package g++-mingw-w64-x86-64), and
# runs them under wine (package wine64) wherever CMake runs a built program: ctest and
# try_run. Use:
#
#   cmake -S . -B build/mingw -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#     -DKORLO_BUILD_APP=OFF -DKORLO_BUILD_BENCH=OFF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KORLO_MINGW_TRIPLET x86_64-w64-mingw32)
# The "posix" thread model: std::thread and std::mutex of C++11 and later need it.
set(CMAKE_C_COMPILER ${KORLO_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KORLO_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KORLO_MINGW_TRIPLET}-windres)

# Headers and libraries of the target only; programs (wine, python) of the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${KORLO_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Fully static programs: the C++ runtime, libgcc and winpthread linked in, so that an .exe runs
# without the MinGW DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# The emulator: a wrapper that runs the program under wine, headless, in a wine prefix and with
# a Chinese locale of the build tree's own (see wine-run.sh).
find_program(KORLO_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(KORLO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh ${CMAKE_BINARY_DIR}/wine ${KORLO_WINE})
endif()
