# Settings of the Windows (MinGW-w64) build, included by the root CMakeLists.txt
# when targeting Windows.

# Win32 in its wide-character form, Windows 7 and later.
add_compile_definitions(UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601)

# The Office bitness this build serves, as the toolchain file names it: the
# platform ("x64", "x86") that the version block and the add-in's description
# name, and the editor's key of add-ins ("Addins64", "Addins"). A header rather
# than definitions on the command line, which windres would pass on unquoted.
if(NOT TARNWICK_PLATFORM OR NOT TARNWICK_ADDINS_KEY)
  message(FATAL_ERROR "The toolchain file sets TARNWICK_PLATFORM and TARNWICK_ADDINS_KEY")
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/tarnwick_platform.h.in
               ${CMAKE_BINARY_DIR}/generated/tarnwick_platform.h @ONLY)

# Test programs run under Wine, each in this build tree's private prefix
# (scripts/wine-run.sh). All of them share that prefix's registry and run two at
# a time, so:
# - a test that writes the registry uses a key of its own, named after its
#   program and case: HKCU\Software\TarnwickTest\<program>\<case>, and deletes
#   it when done;
# - a test that must write a fixed key (a class registration, the add-in's own
#   key) serialises on it: tarnwick_add_test(... PROPERTIES RESOURCE_LOCK
#   wine_registry).
# Nothing may show UI: MessageBoxW and friends block forever under the null
# graphics driver, so any UI call sits behind a function that tests replace.
set(TARNWICK_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh --prefix ${TARNWICK_WINEPREFIX})

# tarnwick_check_system_imports(TARGET): after every link of TARGET (an .exe or
# .dll), fails the build unless the binary imports system DLLs only. With
# -static nothing of MinGW's runtime may be left; a missing DLL under Wine or on
# a user's machine fails silently.
function(tarnwick_check_system_imports target)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND}
            -DOBJDUMP=${TARNWICK_OBJDUMP}
            -DBINARY=$<TARGET_FILE:${target}>
            -P ${PROJECT_SOURCE_DIR}/cmake/CheckSystemImports.cmake
    VERBATIM)
endfunction()
