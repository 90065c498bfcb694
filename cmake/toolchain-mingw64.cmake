# Cross-compiling for 64-bit Windows, the add-in of 64-bit Office, with
# MinGW-w64 (Debian's packages g++-mingw-w64-x86-64 and mingw-w64-tools).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TARNWICK_MINGW_TRIPLE x86_64-w64-mingw32)

# What the bitness decides beyond the compiler: the platform's name in the
# add-in's descriptions, the editor's key of add-ins, the type library's
# target, and where Wine keeps the stdole2.tlb it imports.
set(TARNWICK_PLATFORM x64)
set(TARNWICK_ADDINS_KEY Addins64)
set(TARNWICK_WIDL_TARGET --win64)
set(TARNWICK_WINE_TYPELIBS /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)

include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
