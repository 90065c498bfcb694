# What both Windows toolchain files share, included by them once they have set
# CMAKE_SYSTEM_PROCESSOR and TARNWICK_MINGW_TRIPLE.
#
# The posix thread flavour of the compilers is required: the default win32
# flavour of GCC 12 has no std::mutex, and GoogleTest needs it.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${TARNWICK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TARNWICK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TARNWICK_MINGW_TRIPLE}-windres)
set(TARNWICK_WIDL ${TARNWICK_MINGW_TRIPLE}-widl CACHE FILEPATH "IDL compiler")
set(TARNWICK_OBJDUMP ${TARNWICK_MINGW_TRIPLE}-objdump CACHE FILEPATH "PE inspector")

set(CMAKE_FIND_ROOT_PATH /usr/${TARNWICK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything links statically, so neither the DLL nor the test programs need
# MinGW's runtime DLLs (under Wine a missing DLL fails silently, status 53).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run under Wine through our wrapper, in a private prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
