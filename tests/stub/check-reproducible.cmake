# cmake -DSOURCE=dir -DSTUB=path -DSCRATCH=dir [-DEPOCH=seconds] -P check-reproducible.cmake
# Builds the stub again from a copy of the sources in another folder and compares the bytes
# with STUB: a vendor must be able to rebuild the stub they ship and get the same file.
# EPOCH is the SOURCE_DATE_EPOCH that STUB's build was configured with, if any.
file(REMOVE_RECURSE "${SCRATCH}")
set(copy "${SCRATCH}/src")
file(MAKE_DIRECTORY "${copy}")
# Everything but the outputs and the history: the copy's own build must not touch ours.
file(GLOB entries LIST_DIRECTORIES true RELATIVE "${SOURCE}" "${SOURCE}/*")
list(REMOVE_ITEM entries build dist .git)
foreach(entry IN LISTS entries)
  file(COPY "${SOURCE}/${entry}" DESTINATION "${copy}")
endforeach()

if(EPOCH STREQUAL "")
  unset(ENV{SOURCE_DATE_EPOCH})
else()
  set(ENV{SOURCE_DATE_EPOCH} "${EPOCH}")
endif()

function(run)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY "${copy}" RESULT_VARIABLE failed OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(failed)
    message(FATAL_ERROR "${ARGN} failed:\n${out}")
  endif()
endfunction()
run(${CMAKE_COMMAND} --preset windows -DBUILD_TESTING=OFF)
run(${CMAKE_COMMAND} --build --preset windows --target OrvaneFirmUp)

set(again "${copy}/dist/OrvaneFirmUp.exe")
file(SHA256 "${STUB}" first)
file(SHA256 "${again}" second)
message(STATUS "stub built here:    ${first}")
message(STATUS "stub built again:   ${second}")
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${STUB}" "${again}" RESULT_VARIABLE differ)
if(differ)
  message(FATAL_ERROR "the stub built in ${copy} differs from ${STUB}; both are kept (is the build up to date?)")
endif()
file(REMOVE_RECURSE "${SCRATCH}")
