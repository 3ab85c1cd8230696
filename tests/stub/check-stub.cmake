# cmake -DSTUB=path -DOBJDUMP=path -P check-stub.cmake
# The stub must run on a bare Windows (only system DLLs) and stay small.
execute_process(COMMAND ${OBJDUMP} -p ${STUB} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
string(REPLACE "DLL Name: " "" imports "${imports}")
string(TOUPPER "${imports}" others)
list(FILTER others EXCLUDE REGEX "^(KERNEL32|USER32|GDI32|MSVCRT|ADVAPI32|COMCTL32)\\.DLL$")
file(SIZE ${STUB} size)
if(failed OR NOT imports OR others)
  message(SEND_ERROR "${STUB} must import only DLLs a bare Windows has; objdump read [${imports}]")
endif()
if(size GREATER 20480)
  message(SEND_ERROR "stub is ${size} bytes; the aim is at most 20480 (20 KiB)")
endif()
