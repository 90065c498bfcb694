# cmake -DOBJDUMP=... -DBINARY=... -P CheckSystemImports.cmake
# Fails when the PE file BINARY imports a DLL outside the system allow-list.
cmake_minimum_required(VERSION 3.25)
set(allowed
  kernel32 user32 gdi32 advapi32 ole32 oleaut32 comctl32 shlwapi shell32
  msvcrt ucrtbase version uuid rpcrt4 imm32 ntdll ws2_32 bcrypt msi)

execute_process(COMMAND ${OBJDUMP} -p ${BINARY}
  OUTPUT_VARIABLE dump RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${BINARY} failed (${status})")
endif()

string(REGEX MATCHALL "DLL Name: [^\n]+" lines "${dump}")
set(foreign)
foreach(line IN LISTS lines)
  string(REGEX REPLACE "DLL Name: *" "" dll "${line}")
  string(STRIP "${dll}" dll)
  string(TOLOWER "${dll}" name)
  string(REGEX REPLACE "\\.dll$" "" name "${name}")
  if(name MATCHES "^api-ms-win-" OR name IN_LIST allowed)
    continue()
  endif()
  list(APPEND foreign ${dll})
endforeach()

if(foreign)
  list(JOIN foreign ", " foreign)
  message(FATAL_ERROR "${BINARY} imports non-system DLLs: ${foreign}")
endif()
