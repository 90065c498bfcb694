# Cross-compiling for 32-bit Windows, the add-in of 32-bit Office, with
# MinGW-w64 (Debian's packages g++-mingw-w64-i686-posix and mingw-w64-tools).
# Its programs run under Wine's WoW64 in a 64-bit prefix.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TARNWICK_MINGW_TRIPLE i686-w64-mingw32)

# What the bitness decides beyond the compiler: the platform's name in the
# add-in's descriptions, the editor's key of add-ins, the type library's
# target, and where Wine keeps the stdole2.tlb it imports.
set(TARNWICK_PLATFORM x86)
set(TARNWICK_ADDINS_KEY Addins)
set(TARNWICK_WIDL_TARGET --win32)
set(TARNWICK_WINE_TYPELIBS /usr/lib/i386-linux-gnu/wine/i386-windows)
# That folder comes with Wine's 32-bit half, which the tests need but the build
# does not. widl takes only stdole2's names and GUIDs from it, and the type
# library it makes is byte for byte the same with the 64-bit copy, which the
# win64 build installs anyway.
if(NOT EXISTS ${TARNWICK_WINE_TYPELIBS}/stdole2.tlb)
  set(TARNWICK_WINE_TYPELIBS /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
endif()

include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
