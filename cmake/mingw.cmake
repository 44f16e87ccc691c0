# Cross-compiling toolchain: mingw-w64 (posix threads), static runtime.
# TW_ARCH selects the target: i686 (the shipped 32-bit programs, default) or x86_64
# (used to run the test suite under 64-bit Wine where the host cannot run 32-bit code).
set(TW_ARCH "i686" CACHE STRING "mingw-w64 target: i686 or x86_64")
set(CMAKE_SYSTEM_NAME Windows)
if(TW_ARCH STREQUAL "x86_64")
    set(CMAKE_SYSTEM_PROCESSOR AMD64)
else()
    set(CMAKE_SYSTEM_PROCESSOR x86)
endif()
set(_tw_triple ${TW_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER   ${_tw_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_tw_triple}-g++-posix)
set(CMAKE_RC_COMPILER  ${_tw_triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${_tw_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Tests run through this wrapper: Wine in a throwaway prefix per test.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/support/wine-test)
