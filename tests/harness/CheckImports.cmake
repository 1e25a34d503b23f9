cmake_minimum_required(VERSION 3.20)
# Corvale.exe must need no DLL beyond Windows' own: the C++ runtime is linked in.
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE dump RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cannot read ${PROGRAM}")
endif()
string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${dump}")
# ntdll: the sweep guard asks it for a folder's file index, which costs a fraction of
# what the Win32 calls that also ask the volume for its serial number cost.
set(system_dlls advapi32 comctl32 comdlg32 gdi32 kernel32 msvcrt ntdll ole32 oleaut32 shell32 shlwapi user32
    wininet version)
foreach(line IN LISTS imports)
  string(REGEX REPLACE "DLL Name: " "" dll "${line}")
  string(TOLOWER "${dll}" dll)
  string(REGEX REPLACE "\\.dll$" "" name "${dll}")
  if(NOT name IN_LIST system_dlls)
    message(FATAL_ERROR "Corvale.exe imports ${dll}")
  endif()
  message(STATUS "imports ${dll}")
endforeach()
