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
foreach(step "--preset;windows;-DBUILD_TESTING=OFF" "--build;--preset;windows;--target;OrvaneFirmUp")
  execute_process(COMMAND ${CMAKE_COMMAND} ${step} WORKING_DIRECTORY "${copy}" RESULT_VARIABLE failed
                  OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(failed)
    message(FATAL_ERROR "cmake ${step} failed:\n${out}")
  endif()
endforeach()
file(SHA256 "${STUB}" first)
file(SHA256 "${copy}/dist/OrvaneFirmUp.exe" second)
message(STATUS "stub built here:  ${first}\nstub built again: ${second}")
if(NOT first STREQUAL second)
  message(FATAL_ERROR "the stub built in ${copy} differs from ${STUB}; both are kept (is the build up to date?)")
endif()
file(REMOVE_RECURSE "${SCRATCH}")
